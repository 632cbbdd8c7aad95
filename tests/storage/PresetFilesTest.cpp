// Reading preset files: line ends of every system, the single- and all-presets checks.

#include <gtest/gtest.h>

#include "preset/PresetBlockText.h"
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

TEST(SinglePresetFile, ATextSplitOverTwoLinesJoinsToTheOneLineText) {
  const Lines split =
      SplitTextLines(kExampleBlock.substr(0, 332) + "\r\n" + kExampleBlock.substr(332) + "\r\n");
  ASSERT_EQ(split.size(), 2u);
  EXPECT_EQ(JoinLines(split), kExampleBlock);
  EXPECT_TRUE(IsValidPresetBlockText(JoinLines(split)));
}

TEST(AllPresetsFile, OnlyTwentyValidLinesPass) {
  const Lines twenty(20, kExampleBlock);
  EXPECT_TRUE(IsValidAllPresetsFile(twenty));

  std::string lower = kExampleBlock;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  Lines withLower = twenty;
  withLower[7] = lower;
  EXPECT_TRUE(IsValidAllPresetsFile(withLower)) << "hexadecimal digits in either case";

  EXPECT_FALSE(IsValidAllPresetsFile(Lines(19, kExampleBlock)));
  EXPECT_FALSE(IsValidAllPresetsFile(Lines(21, kExampleBlock)));
  EXPECT_FALSE(IsValidAllPresetsFile({}));
  for (std::size_t bad : {std::size_t{0}, std::size_t{12}, std::size_t{19}}) {
    Lines withG = twenty;
    withG[bad][400] = 'G';
    EXPECT_FALSE(IsValidAllPresetsFile(withG)) << "a G in line " << bad + 1;
    Lines tooLong = twenty;
    tooLong[bad] += "00";
    EXPECT_FALSE(IsValidAllPresetsFile(tooLong)) << "666 characters in line " << bad + 1;
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
  EXPECT_EQ(ReadTextLines(folder.path()).status, FileLines::Status::Unreadable);
}

}  // namespace
}  // namespace lyra::test
