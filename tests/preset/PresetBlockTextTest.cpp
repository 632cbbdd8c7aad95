#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "preset/PresetBlockText.h"
#include "tests/preset/ExampleBlock.h"

namespace lyra {
namespace {

using testing::kExampleBlock;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

TEST(PresetBlockText, FileTextsMustBe664HexCharactersInEitherCase) {
  std::string mixed = kExampleBlock;
  for (std::size_t i = 0; i < mixed.size(); i += 3) {
    mixed[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(mixed[i])));
  }
  std::string withG = kExampleBlock;
  withG[300] = 'G';
  std::string withSpace = kExampleBlock;
  withSpace[663] = ' ';
  std::string withHighByte = kExampleBlock;
  withHighByte[5] = static_cast<char>(0xC3);
  std::string withNul = kExampleBlock;
  withNul[100] = '\0';
  struct Case {
    const char* what;
    std::string text;
    bool valid;
  };
  const std::vector<Case> cases = {
      {"the example block", kExampleBlock, true},
      {"lower case", Lower(kExampleBlock), true},
      {"mixed case", mixed, true},
      {"666 characters", kExampleBlock + "AA", false},
      {"663 characters", kExampleBlock.substr(0, 663), false},
      {"empty", "", false},
      {"a G in one pair", withG, false},
      {"a trailing space instead of a digit", withSpace, false},
      {"a byte above ASCII", withHighByte, false},
      {"a zero byte", withNul, false},
      {"664 characters of a CR LF line", kExampleBlock.substr(0, 662) + "\r\n", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidPresetBlockText(c.text), c.valid) << c.what;
}

TEST(PresetBlockText, HexDigitsHaveTheirValueAndAnythingElseNone) {
  struct Case {
    char c;
    int value;
  };
  const std::vector<Case> cases = {
      {'0', 0},  {'9', 9},  {'A', 10}, {'F', 15}, {'a', 10}, {'f', 15}, {'G', -1},    {'g', -1},
      {'x', -1}, {' ', -1}, {'/', -1}, {':', -1}, {'@', -1}, {'`', -1}, {'\xFF', -1}, {'\x80', -1}};
  for (const auto& c : cases) EXPECT_EQ(HexDigitValue(c.c), c.value) << int{c.c};
}

TEST(PresetBlockText, DataBytesAreFrameBytes10To329) {
  const auto data = ReadPresetData(kExampleBlock);
  ASSERT_TRUE(data.has_value());
  EXPECT_EQ((*data)[0], 0xC8);    // High level, characters 21-22
  EXPECT_EQ((*data)[72], 0xC8);   // Mid level, characters 165-166
  EXPECT_EQ((*data)[144], 0xC8);  // Low level, characters 309-310
  EXPECT_EQ((*data)[218], 0x2D);  // systemLevel, characters 457-460
  EXPECT_EQ((*data)[219], 0x01);
  EXPECT_EQ((*data)[319], 0x00);
  EXPECT_EQ(ReadPresetData(Lower(kExampleBlock)), data);
}

TEST(PresetBlockText, OnlyTheDataCharactersMatter) {
  const auto data = ReadPresetData(kExampleBlock);
  std::string badHeader = kExampleBlock;
  badHeader.replace(0, 20, "ZZZZZZZZZZZZZZZZZZZZ");
  std::string badTrailer = kExampleBlock;
  badTrailer.replace(660, 4, "??\x80\x81");
  struct Case {
    const char* what;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"header not hexadecimal", badHeader},
      {"checksum and trailer not hexadecimal", badTrailer},
      {"text ends right after the data", kExampleBlock.substr(0, 660)},
      {"more text follows the block", kExampleBlock + "A5A5A5"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadPresetData(c.text), data) << c.what;
}

TEST(PresetBlockText, TextsWithoutAllDataBytesGiveNothing) {
  std::string badFirst = kExampleBlock;
  badFirst[20] = 'G';
  std::string badLast = kExampleBlock;
  badLast[659] = '\xE4';
  std::string withNul = kExampleBlock;
  withNul[400] = '\0';
  struct Case {
    const char* what;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"one data character short", kExampleBlock.substr(0, 659)},
      {"empty", ""},
      {"header only", kExampleBlock.substr(0, 20)},
      {"first data character not hexadecimal", badFirst},
      {"last data character above ASCII", badLast},
      {"a zero byte among the data", withNul},
  };
  for (const auto& c : cases) EXPECT_FALSE(ReadPresetData(c.text).has_value()) << c.what;
}

TEST(PresetBlockText, AShortTextIsNotReadPastItsEnd) {
  // Only the first 659 characters are handed over; the byte after them in memory is a valid digit
  // and must not be taken for the missing one.
  const std::string longer = kExampleBlock;
  EXPECT_FALSE(ReadPresetData(std::string_view(longer.data(), 659)).has_value());
}

}  // namespace
}  // namespace lyra
