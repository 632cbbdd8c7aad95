// Reading preset files: line ends of every system, the single- and all-presets checks.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "storage/PresetFiles.h"
#include "tests/preset/ExampleBlock.h"
#include "tests/storage/TempFolder.h"

namespace lyra::test {
namespace {

using Lines = std::vector<std::string>;
using lyra::testing::kExampleBlock;

TEST(SplitTextLines, EveryLineEndOfEverySystemEndsALine) {
  const struct {
    const char* text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\nc", {"a", "b", "c"}},  // CR, LF and a last line without an end
      {"a\r\n\r\n", {"a", ""}},
      {"\n", {""}},
      {"a\n\rb", {"a", "", "b"}},  // LF then CR are two ends, not one
      {"a\r\r\nb", {"a", "", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitTextLines(c.text), c.lines) << '"' << c.text << '"';
}

TEST(AllPresetsFile, TakesEitherCaseAndRefusesOneBadLine) {
  // The window's scenarios cover the line counts; here the cases they do not.
  Lines lines(20, kExampleBlock);
  for (char& c : lines[7]) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_TRUE(IsValidAllPresetsFile(lines));
  lines[19] += "00";
  EXPECT_FALSE(IsValidAllPresetsFile(lines)) << "666 characters in the last line";
}

// A digit changed after the file was written (in an editor, on a disk) leaves a valid text whose
// check byte no longer matches: the file is damaged as a whole, as is one whose trailer is lost.
TEST(PresetFileBlocks, OnlyWholeBlocksAreTaken) {
  std::string changed = kExampleBlock;
  changed[101] = changed[101] == '0' ? '1' : '0';  // a data digit
  std::string trailer = kExampleBlock;
  trailer[663] = '0';  // AA becomes A0
  EXPECT_TRUE(IsValidSinglePresetText(kExampleBlock));
  EXPECT_FALSE(IsValidSinglePresetText(changed));
  EXPECT_FALSE(IsValidSinglePresetText(trailer));
  for (const std::string& bad : {changed, trailer}) {
    Lines lines(20, kExampleBlock);
    lines[11] = bad;
    EXPECT_FALSE(IsValidAllPresetsFile(lines)) << "line 12 damaged";
  }
}

TEST(ReadTextLines, ReadsLinesAndRefusesWhatIsNoPresetFile) {
  TempFolder folder;
  WriteBytes(folder / "mixed.sps", "one\r\ntwo\nthree\rfour");
  const FileLines mixed = ReadTextLines(folder / "mixed.sps");
  EXPECT_EQ(mixed.status, FileLines::Status::Read);
  EXPECT_EQ(mixed.lines, (Lines{"one", "two", "three", "four"}));

  WriteBytes(folder / "empty.sps", "");
  const FileLines empty = ReadTextLines(folder / "empty.sps");
  EXPECT_EQ(empty.status, FileLines::Status::Read);
  EXPECT_TRUE(empty.lines.empty());

  const FileLines missing = ReadTextLines(folder / "missing.sps");
  EXPECT_EQ(missing.status, FileLines::Status::Unreadable);
  EXPECT_FALSE(missing.error.empty());

  WriteBytes(folder / "huge.fps", std::string(kPresetFileMaxBytes + 1, 'A'));
  EXPECT_EQ(ReadTextLines(folder / "huge.fps").status, FileLines::Status::TooLarge);
  // A folder, a pipe or a device is never a preset file; a pipe must not be waited on.
  EXPECT_EQ(ReadTextLines(folder.path()).status, FileLines::Status::NotAFile);
#ifndef _WIN32
  ASSERT_EQ(::mkfifo((folder / "pipe.sps").c_str(), 0600), 0);
  const FileLines pipe = ReadTextLines(folder / "pipe.sps");
  EXPECT_EQ(pipe.status, FileLines::Status::NotAFile);
  EXPECT_FALSE(pipe.error.empty());
  EXPECT_EQ(ReadTextLines("/dev/null").status, FileLines::Status::NotAFile);
#endif
}

}  // namespace
}  // namespace lyra::test
