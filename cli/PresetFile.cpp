#include "cli/PresetFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "preset/PresetBlockText.h"
#include "storage/PresetFiles.h"

namespace lyra::cli {

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string Shown(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u >= 0x21 && u < 0x7F) return std::string("'") + c + "'";
  if (c == ' ') return "a blank";
  if (c == '\t') return "a tab";
  char hex[16];
  std::snprintf(hex, sizeof hex, "byte 0x%02X", u);
  return hex;
}

PresetFileProblem At(const std::string& file, int line, const std::string& what) {
  return {file + ":" + std::to_string(line) + ": " + what, line};
}

std::string HexByte(int byte) {
  char hex[4];
  std::snprintf(hex, sizeof hex, "%02X", byte & 0xFF);
  return hex;
}

// What is wrong with the frame of a valid text, or nothing when it is intact. The program and the
// devices write only intact frames; which digit was changed cannot be told, only that one was.
std::optional<std::string> FrameFault(std::string_view text) {
  if (HasIntactFrame(text)) return std::nullopt;
  auto byte = [&](std::size_t k) {
    return HexDigitValue(text[2 * k]) << 4 | HexDigitValue(text[2 * k + 1]);
  };
  constexpr std::size_t kCheck = kPresetFrameLength - 2;
  int sum = 0;
  for (std::size_t k = 3; k < kCheck; ++k) sum ^= byte(k);
  if (byte(kCheck) != sum)
    return "the line is damaged: its check byte is " + HexByte(byte(kCheck)) +
           " where its bytes give " + HexByte(sum);
  return "the line is damaged: it ends in " + HexByte(byte(kCheck + 1)) +
         " where a preset ends in AA";
}

// Where one line of an all-presets file goes wrong, or nothing when it is a whole block.
std::optional<std::string> LineFault(const std::string& text) {
  for (std::size_t i = 0; i < text.size() && i < kPresetBlockTextLength; ++i) {
    if (HexDigitValue(text[i]) < 0)
      return "column " + std::to_string(i + 1) + ": " + Shown(text[i]) +
             " is not a hexadecimal digit";
  }
  if (text.size() != kPresetBlockTextLength)
    return "the line holds " + std::to_string(text.size()) + " characters; a preset holds " +
           std::to_string(kPresetBlockTextLength);
  return FrameFault(text);
}

PresetFileProblem SingleFault(const std::string& file, const std::vector<std::string>& lines) {
  const std::string joined = JoinLines(lines);
  if (joined.empty()) return {file + ": the file holds no preset (it is empty)", 0};
  if (auto fault = IsValidPresetBlockText(joined) ? FrameFault(joined) : std::nullopt) {
    // Named by the line that holds the check byte: the one a split text ends in.
    std::size_t line = 0;
    for (std::size_t count = 0; line < lines.size(); ++line) {
      count += lines[line].size();
      if (count >= kPresetBlockTextLength) break;
    }
    return At(file, static_cast<int>(line + 1), *fault);
  }
  // The first character that is no hex digit, in the line and column it stands in.
  std::size_t line = 0;
  std::size_t before = 0;  // characters of the lines above
  for (std::size_t i = 0; i < joined.size() && i < kPresetBlockTextLength; ++i) {
    while (i >= before + lines[line].size()) before += lines[line++].size();
    if (HexDigitValue(joined[i]) < 0)
      return At(file, static_cast<int>(line + 1),
                "column " + std::to_string(i - before + 1) + ": " + Shown(joined[i]) +
                    " is not a hexadecimal digit");
  }
  // Too long: the line where the 665th character stands; too short: the last line.
  std::size_t where = lines.size();
  if (joined.size() > kPresetBlockTextLength) {
    std::size_t count = 0;
    for (where = 0; where < lines.size(); ++where) {
      count += lines[where].size();
      if (count > kPresetBlockTextLength) break;
    }
    ++where;
  }
  while (where > 1 && lines[where - 1].empty()) --where;
  return At(file, static_cast<int>(where),
            "the preset text holds " + std::to_string(joined.size()) +
                " characters; a preset holds " + std::to_string(kPresetBlockTextLength));
}

PresetFileProblem AllPresetsFault(const std::string& file, const std::vector<std::string>& lines) {
  if (lines.empty()) return {file + ": the file holds no presets (it is empty)", 0};
  for (std::size_t i = 0; i < lines.size() && i < kAllPresetsLineCount; ++i) {
    if (auto fault = LineFault(lines[i])) return At(file, static_cast<int>(i + 1), *fault);
  }
  const std::string count = std::to_string(kAllPresetsLineCount);
  if (lines.size() < kAllPresetsLineCount)
    return At(file, static_cast<int>(lines.size()),
              "the file ends after " + std::to_string(lines.size()) +
                  " lines; an all-presets file holds " + count);
  return At(
      file, static_cast<int>(kAllPresetsLineCount + 1),
      "a line after the " + count + "th; an all-presets file holds exactly " + count + " lines");
}

}  // namespace

std::optional<PresetFileKind> KindOfName(const std::filesystem::path& path) {
  const std::string extension = Lower(path.extension().string());
  if (extension == ".sps") return PresetFileKind::Single;
  if (extension == ".fps") return PresetFileKind::AllPresets;
  return std::nullopt;
}

std::variant<PresetFileContent, PresetFileProblem> CheckPresetLines(
    const std::string& fileName, const std::vector<std::string>& lines, PresetFileKind kind) {
  PresetFileContent content;
  content.kind = kind;
  if (kind == PresetFileKind::AllPresets) {
    if (!IsValidAllPresetsFile(lines)) return AllPresetsFault(fileName, lines);
    content.blocks = lines;
    return content;
  }
  std::string joined = JoinLines(lines);
  if (!IsValidSinglePresetText(joined)) return SingleFault(fileName, lines);
  content.blocks.push_back(std::move(joined));
  return content;
}

std::variant<PresetFileContent, PresetFileProblem> ReadPresetFile(
    const std::filesystem::path& path, std::optional<PresetFileKind> expected) {
  const std::string name = path.string();
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    return PresetFileProblem{name + ": this is a folder, not a preset file", 0};
  FileLines read = ReadTextLines(path);
  switch (read.status) {
    case FileLines::Status::Unreadable:
      return PresetFileProblem{name + ": the file could not be read: " + read.error, 0};
    case FileLines::Status::TooLarge:
      return PresetFileProblem{
          name + ": too large for a preset file (a preset file holds at most " +
              std::to_string(kAllPresetsLineCount * (kPresetBlockTextLength + 2)) + " bytes)",
          0};
    case FileLines::Status::NotAFile:
      return PresetFileProblem{name + ": this is not a preset file (" + read.error + ")", 0};
    case FileLines::Status::Read:
      break;
  }
  PresetFileKind kind = PresetFileKind::Single;
  if (expected) {
    kind = *expected;
  } else if (auto named = KindOfName(path)) {
    kind = *named;
  } else if (read.lines.size() == kAllPresetsLineCount &&
             std::all_of(read.lines.begin(), read.lines.end(),
                         [](const std::string& l) { return IsValidPresetBlockText(l); })) {
    // Twenty preset texts are all presets, whether or not each is whole.
    kind = PresetFileKind::AllPresets;
  }
  return CheckPresetLines(name, read.lines, kind);
}

}  // namespace lyra::cli
