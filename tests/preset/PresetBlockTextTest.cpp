#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <string_view>
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

TEST(PresetBlockText, OnlyTheDataCharactersMatter) {
  const auto data = ReadPresetData(kExampleBlock);
  ASSERT_TRUE(data.has_value());
  EXPECT_EQ((*data)[0], 0xC8);    // frame byte 10: High level
  EXPECT_EQ((*data)[319], 0x00);  // frame byte 329
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
    std::string_view text;
  };
  const std::vector<Case> cases = {
      // A view that ends one character short, with a valid digit right behind it in memory.
      {"one data character short", std::string_view(kExampleBlock).substr(0, 659)},
      {"empty", ""},
      {"header only", std::string_view(kExampleBlock).substr(0, 20)},
      {"first data character not hexadecimal", badFirst},
      {"last data character above ASCII", badLast},
      {"a zero byte among the data", withNul},
  };
  for (const auto& c : cases) EXPECT_FALSE(ReadPresetData(c.text).has_value()) << c.what;
}

// One flipped bit anywhere the checksum covers, in the checksum or in the trailer is a damaged
// block; the example block and its lower-case form are whole.
TEST(PresetBlockText, AFrameIsWholeOnlyWithItsChecksumAndTrailer) {
  EXPECT_TRUE(HasIntactFrame(kExampleBlock));
  EXPECT_TRUE(HasIntactFrame(Lower(kExampleBlock)));
  for (std::size_t byte : {3u, 5u, 6u, 100u, 329u, 330u, 331u}) {
    std::string damaged = kExampleBlock;
    const int low = HexDigitValue(damaged[2 * byte + 1]) ^ 1;
    damaged[2 * byte + 1] = "0123456789ABCDEF"[low];
    EXPECT_FALSE(HasIntactFrame(damaged)) << "frame byte " << byte;
  }
  // The preamble is not covered: the parser has found the block by it already.
  std::string preamble = kExampleBlock;
  preamble[1] = '4';
  EXPECT_TRUE(HasIntactFrame(preamble));
  EXPECT_FALSE(HasIntactFrame(std::string(kExampleBlock).substr(0, 662)));
}

}  // namespace
}  // namespace lyra
