// Preset files as the tool reads them: accepted exactly when the window loads them, and a damaged
// one named with the line (and column) where it goes wrong.

#include "cli/PresetFile.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "preset/PresetBlockText.h"
#include "storage/PresetFiles.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/storage/TempFolder.h"

namespace lyra::test {
namespace {

using cli::PresetFileContent;
using cli::PresetFileKind;
using cli::PresetFileProblem;

const std::string kBlock = BlockText(0x00, 0x00, 0x28, DeviceMemory::flatPreset());

PresetFileProblem ProblemOf(const std::vector<std::string>& lines, PresetFileKind kind) {
  auto checked = cli::CheckPresetLines("f", lines, kind);
  if (auto* p = std::get_if<PresetFileProblem>(&checked)) return *p;
  ADD_FAILURE() << "accepted";
  return {};
}

std::vector<std::string> TwentyLines() {
  return std::vector<std::string>(20, kBlock);
}

TEST(PresetFileCheck, ASinglePresetsFaultHasItsLineAndColumn) {
  std::string g = kBlock;
  g[99] = 'G';
  EXPECT_EQ(ProblemOf({g}, PresetFileKind::Single).message,
            "f:1: column 100: 'G' is not a hexadecimal digit");
  EXPECT_EQ(ProblemOf({kBlock + "AB"}, PresetFileKind::Single).message,
            "f:1: the preset text holds 666 characters; a preset holds 664");
  EXPECT_EQ(ProblemOf({kBlock.substr(0, 600)}, PresetFileKind::Single).line, 1);
  // Split over two lines, as the window accepts it: the fault is found in the second line.
  std::string second = kBlock.substr(332);
  second[10] = ' ';
  const PresetFileProblem split =
      ProblemOf({kBlock.substr(0, 332), second}, PresetFileKind::Single);
  EXPECT_EQ(split.message, "f:2: column 11: a blank is not a hexadecimal digit");
  EXPECT_EQ(split.line, 2);
  EXPECT_EQ(
      ProblemOf({kBlock.substr(0, 332), kBlock.substr(332), "00"}, PresetFileKind::Single).line, 3)
      << "the line where the text runs past 664 characters";
  EXPECT_EQ(ProblemOf({kBlock.substr(0, 332), "", ""}, PresetFileKind::Single).line, 1)
      << "too short: the last line that holds anything";
  const PresetFileProblem empty = ProblemOf({}, PresetFileKind::Single);
  EXPECT_EQ(empty.message, "f: the file holds no preset (it is empty)");
  EXPECT_EQ(empty.line, 0);
  std::string control = kBlock;
  control[0] = '\x01';
  EXPECT_EQ(ProblemOf({control}, PresetFileKind::Single).message,
            "f:1: column 1: byte 0x01 is not a hexadecimal digit");
}

TEST(PresetFileCheck, AnAllPresetsFaultHasTheFirstBadLine) {
  std::vector<std::string> lines = TwentyLines();
  lines[4][663] = 'x';
  lines[9] = "";
  EXPECT_EQ(ProblemOf(lines, PresetFileKind::AllPresets).message,
            "f:5: column 664: 'x' is not a hexadecimal digit");
  lines = TwentyLines();
  lines[6] += "0";
  EXPECT_EQ(ProblemOf(lines, PresetFileKind::AllPresets).message,
            "f:7: the line holds 665 characters; a preset holds 664");
  lines = TwentyLines();
  lines.pop_back();
  EXPECT_EQ(ProblemOf(lines, PresetFileKind::AllPresets).message,
            "f:19: the file ends after 19 lines; an all-presets file holds 20");
  lines = TwentyLines();
  lines.push_back("");
  EXPECT_EQ(ProblemOf(lines, PresetFileKind::AllPresets).message,
            "f:21: a line after the 20th; an all-presets file holds exactly 20 lines");
  EXPECT_EQ(ProblemOf({}, PresetFileKind::AllPresets).line, 0);
}

// A digit changed after the file was saved: the file is refused, with the line it stands in.
TEST(PresetFileCheck, ALineWhoseFrameIsNotIntactIsDamaged) {
  std::string changed = kBlock;
  changed[101] = changed[101] == '0' ? '1' : '0';
  const int check = HexDigitValue(kBlock[660]) * 16 + HexDigitValue(kBlock[661]);
  const int given = check ^ (HexDigitValue(changed[101]) ^ HexDigitValue(kBlock[101]));
  char expected[96];
  std::snprintf(expected, sizeof expected,
                "the line is damaged: its check byte is %02X where its bytes give %02X", check,
                given);
  EXPECT_EQ(ProblemOf({changed}, PresetFileKind::Single).message, std::string("f:1: ") + expected);
  // Split over two lines: the line that holds the check byte.
  const PresetFileProblem split =
      ProblemOf({changed.substr(0, 332), changed.substr(332), ""}, PresetFileKind::Single);
  EXPECT_EQ(split.line, 2);
  std::vector<std::string> lines = TwentyLines();
  lines[11] = changed;
  EXPECT_EQ(ProblemOf(lines, PresetFileKind::AllPresets).message, std::string("f:12: ") + expected);
  lines = TwentyLines();
  lines[19][663] = '0';
  EXPECT_EQ(ProblemOf(lines, PresetFileKind::AllPresets).message,
            "f:20: the line is damaged: it ends in A0 where a preset ends in AA");
}

// Whatever the file holds, the tool takes it exactly when the window's own checks do.
TEST(PresetFileCheck, AcceptsExactlyWhatTheWindowLoads) {
  std::string lower = kBlock;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string changed = kBlock;
  changed[200] = changed[200] == 'F' ? 'E' : 'F';
  std::vector<std::string> oneChanged = TwentyLines();
  oneChanged[3] = changed;
  const std::vector<std::vector<std::string>> samples = {
      {kBlock},
      {changed},
      oneChanged,
      {lower},
      {kBlock.substr(0, 100), kBlock.substr(100)},
      {kBlock, ""},
      {"", kBlock},
      {kBlock + " "},
      {kBlock.substr(1)},
      {kBlock, kBlock},
      {},
      {""},
      TwentyLines()};
  for (const auto& lines : samples) {
    const bool single = IsValidSinglePresetText(JoinLines(lines));
    EXPECT_EQ(std::holds_alternative<PresetFileContent>(
                  cli::CheckPresetLines("f", lines, PresetFileKind::Single)),
              single)
        << lines.size() << " lines";
    EXPECT_EQ(std::holds_alternative<PresetFileContent>(
                  cli::CheckPresetLines("f", lines, PresetFileKind::AllPresets)),
              IsValidAllPresetsFile(lines))
        << lines.size() << " lines";
  }
}

TEST(PresetFileRead, LineEndsOfAnySystemAndTheKindFromTheName) {
  TempFolder folder;
  WriteBytes(folder / "a.SPS", kBlock + "\n");
  auto read = cli::ReadPresetFile(folder / "a.SPS");
  ASSERT_TRUE(std::holds_alternative<PresetFileContent>(read));
  EXPECT_EQ(std::get<PresetFileContent>(read).kind, PresetFileKind::Single);
  EXPECT_EQ(std::get<PresetFileContent>(read).blocks, std::vector<std::string>{kBlock});

  std::string all;
  for (int n = 0; n < 20; ++n) all += kBlock + (n % 2 ? "\r" : "\r\n");
  WriteBytes(folder / "b.fps", all);
  read = cli::ReadPresetFile(folder / "b.fps");
  ASSERT_TRUE(std::holds_alternative<PresetFileContent>(read));
  EXPECT_EQ(std::get<PresetFileContent>(read).blocks.size(), 20u);

  // An all-presets file named .sps is a damaged single preset, as the window would find it.
  WriteBytes(folder / "c.sps", all);
  read = cli::ReadPresetFile(folder / "c.sps");
  ASSERT_TRUE(std::holds_alternative<PresetFileProblem>(read));
  EXPECT_EQ(std::get<PresetFileProblem>(read).line, 2);
}

TEST(PresetFileRead, FilesThatCannotBePresetsSaySo) {
  TempFolder folder;
  const auto missing = cli::ReadPresetFile(folder / "none.sps");
  ASSERT_TRUE(std::holds_alternative<PresetFileProblem>(missing));
  EXPECT_NE(
      std::get<PresetFileProblem>(missing).message.find("none.sps: the file could not be read: "),
      std::string::npos);
  WriteBytes(folder / "big.fps", std::string(70 * 1024, '0'));
  const auto big = cli::ReadPresetFile(folder / "big.fps");
  ASSERT_TRUE(std::holds_alternative<PresetFileProblem>(big));
  EXPECT_NE(std::get<PresetFileProblem>(big).message.find("too large for a preset file"),
            std::string::npos);
  const auto folderItself = cli::ReadPresetFile(folder.path());
  ASSERT_TRUE(std::holds_alternative<PresetFileProblem>(folderItself));
  EXPECT_NE(std::get<PresetFileProblem>(folderItself).message.find("this is a folder"),
            std::string::npos);
}

}  // namespace
}  // namespace lyra::test
