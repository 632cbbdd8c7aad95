#include "storage/PresetFiles.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "preset/PresetBlockText.h"

namespace lyra {

namespace fs = std::filesystem;

std::vector<std::string> SplitTextLines(std::string_view content) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < content.size(); ++i) {
    if (content[i] != '\r' && content[i] != '\n') continue;
    lines.emplace_back(content.substr(start, i - start));
    if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < content.size()) lines.emplace_back(content.substr(start));
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string joined;
  for (const std::string& line : lines) joined += line;
  return joined;
}

bool IsValidSinglePresetText(std::string_view joinedLines) {
  return HasIntactFrame(joinedLines);
}

bool IsValidAllPresetsFile(const std::vector<std::string>& lines) {
  if (lines.size() != kAllPresetsLineCount) return false;
  for (const std::string& line : lines) {
    if (!HasIntactFrame(line)) return false;
  }
  return true;
}

FileLines ReadTextLines(const fs::path& path) {
  FileLines result;
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (!ec && fs::exists(status) && !fs::is_regular_file(status)) {
    // Reading a FIFO would wait for a writer forever; a device could hand out data endlessly.
    result.status = FileLines::Status::NotAFile;
    (void)fs::file_size(path, ec);
    result.error = ec ? ec.message() : "not a regular file";
    return result;
  }
  ec.clear();
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec) {
    result.status = FileLines::Status::Unreadable;
    result.error = ec.message();
    return result;
  }
  if (size > kPresetFileMaxBytes) {
    result.status = FileLines::Status::TooLarge;
    return result;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    result.status = FileLines::Status::Unreadable;
    result.error = "the file cannot be opened";
    return result;
  }
  std::string content(static_cast<std::size_t>(size), '\0');
  in.read(content.data(), static_cast<std::streamsize>(size));
  // A file that shrank meanwhile is read as far as it goes.
  content.resize(static_cast<std::size_t>(in.gcount()));
  if (in.bad()) {
    result.status = FileLines::Status::Unreadable;
    result.error = "the file cannot be read";
    return result;
  }
  result.lines = SplitTextLines(content);
  return result;
}

namespace {

// A name beside the target that no other save uses at the same moment; the per-system part
// creates it exclusively, so a clash fails instead of overwriting someone else's file.
fs::path temporaryNameFor(const fs::path& target, int attempt) {
  static std::atomic<unsigned> counter{0};
  const auto ticks =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  const unsigned long long salt = ticks ^ (static_cast<unsigned long long>(++counter) << 40) ^
                                  static_cast<unsigned long long>(attempt);
  char suffix[20];
  std::snprintf(suffix, sizeof suffix, "%012llx", salt & 0xFFFFFFFFFFFFull);
  // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict, its bug 105329) about the
  // inlined copy of "." + string&&.
  std::string name = ".";
  name += target.filename().string();
  name += ".tmp-";
  name += suffix;
  fs::path temp = target;
  temp.replace_filename(name);
  return temp;
}

}  // namespace

std::optional<std::string> WriteTextLines(const fs::path& path,
                                          const std::vector<std::string>& lines) {
  std::string content;
  for (const std::string& line : lines) {
    content += line;
    content += "\r\n";
  }
  fs::path target = path;
  std::error_code ec;
  // A link is followed, so the file it points to gets the new content and the link stays.
  if (fs::is_symlink(target, ec)) {
    const fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) target = resolved;
  }
  if (fs::is_directory(target, ec)) return path.string() + ": this is a folder, not a file";
  constexpr int kAttempts = 4;
  std::optional<std::string> failure;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const fs::path temp = temporaryNameFor(target, attempt);
    if (fs::exists(temp, ec)) continue;
    failure = detail::WriteAndReplace(temp, target, content);
    if (!failure) return std::nullopt;
    if (!fs::exists(temp, ec)) break;  // a clash would leave the other file: try another name
  }
  return path.string() + ": " + failure.value_or("no temporary file could be created");
}

}  // namespace lyra
