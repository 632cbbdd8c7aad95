#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "preset/PresetUpload.h"
#include "tests/preset/ExampleBlock.h"

namespace lyra {
namespace {

using testing::kExampleBlock;
using testing::WithDataByte;

std::uint8_t DataXor(const UploadBody& body) {
  std::uint8_t x = 0;
  for (std::size_t i = 0; i < kPresetDataLength; ++i) x ^= body[i];
  return x;
}

TEST(PresetUpload, TheExampleDataEndInTheChecksumOfTheirTarget) {
  struct Case {
    const char* what;
    std::uint8_t busAddress;
    UploadTarget target;
    std::uint8_t checksum;
  };
  const std::vector<Case> cases = {
      {"active preset", 0x00, UploadTarget::ActivePreset(), 0x3E},   // 0xF6 ^ 0xC8
      {"stored block 3", 0x00, UploadTarget::StoredBlock(3), 0x3C},  // 0xF6 ^ 0x03 ^ 0xC9
      {"stored block 20", 0x00, UploadTarget::StoredBlock(20), 0xF6 ^ 20 ^ 0xC9},
      {"active preset at BusAddress 0x11", 0x11, UploadTarget::ActivePreset(), 0x3E ^ 0x11},
  };
  for (const auto& c : cases) {
    const auto body = BuildUploadBody(kExampleBlock, c.busAddress, c.target);
    ASSERT_TRUE(body.has_value()) << c.what;
    EXPECT_EQ(DataXor(*body), 0xF6) << c.what;
    EXPECT_EQ((*body)[320], c.checksum) << c.what;
    EXPECT_EQ((*body)[321], 0xAA) << c.what;
  }
}

TEST(PresetUpload, ChecksumIsTheFrameChecksumOverHeaderAndData) {
  // Header and body together are one 332-byte write frame; its bytes 3..330 must XOR to zero.
  for (std::uint8_t n : {std::uint8_t{1}, std::uint8_t{7}, std::uint8_t{20}}) {
    const auto target = UploadTarget::StoredBlock(n);
    const UploadHeader header = BuildUploadHeader(0x2A, target);
    const auto body = BuildUploadBody(kExampleBlock, 0x2A, target);
    ASSERT_TRUE(body.has_value());
    std::uint8_t x = 0;
    for (std::size_t i = 3; i < header.size(); ++i) x ^= header[i];
    for (std::size_t i = 0; i <= kPresetDataLength; ++i) x ^= (*body)[i];
    EXPECT_EQ(x, 0) << int{n};
  }
}

TEST(PresetUpload, HeadersNameTheTarget) {
  EXPECT_EQ(BuildUploadHeader(0x00, UploadTarget::ActivePreset()),
            (UploadHeader{0xA5, 0xA5, 0xA5, 0x00, 0xA1, 0x00, 0x28, 0x00, 0x01, 0x40}));
  EXPECT_EQ(BuildUploadHeader(0xFF, UploadTarget::StoredBlock(3)),
            (UploadHeader{0xA5, 0xA5, 0xA5, 0xFF, 0xA1, 0x03, 0x29, 0x00, 0x01, 0x40}));
}

TEST(PresetUpload, CountersMapToTheirTargets) {
  struct Case {
    int counter;
    std::optional<UploadTarget> target;
  };
  const std::vector<Case> cases = {
      {25, UploadTarget::ActivePreset()},
      {1, UploadTarget::StoredBlock(1)},
      {20, UploadTarget::StoredBlock(20)},
      {0, std::nullopt},
      {21, std::nullopt},
      {24, std::nullopt},
      {-1, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(UploadTargetForCounter(c.counter), c.target) << c.counter;
}

TEST(PresetUpload, BytesTheProgramDoesNotReadGoBackUnchanged) {
  // Undecoded bytes: a channel row's tail, filter gaps, limiter tail, a band's last byte, Main's
  // spare bytes and the unused end of the block.
  std::string text = kExampleBlock;
  const std::vector<std::size_t> spare = {5,   7,   10,  11,  14,  19,  23,  31, 79,
                                          167, 217, 226, 231, 239, 280, 300, 319};
  for (std::size_t d : spare) text = WithDataByte(text, d, static_cast<std::uint8_t>(0x5A ^ d));
  const auto body = BuildUploadBody(text, 0, UploadTarget::ActivePreset());
  ASSERT_TRUE(body.has_value());
  for (std::size_t d : spare) EXPECT_EQ((*body)[d], static_cast<std::uint8_t>(0x5A ^ d)) << d;
  // Lower-case text uploads the same bytes.
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(BuildUploadBody(lower, 0, UploadTarget::ActivePreset()), body);
}

TEST(PresetUpload, ATextWithoutItsDataUploadsNothing) {
  std::string bad = kExampleBlock;
  bad[21] = 'Q';
  EXPECT_FALSE(BuildUploadBody(bad, 0, UploadTarget::ActivePreset()).has_value());
  EXPECT_FALSE(BuildUploadBody(kExampleBlock.substr(0, 659), 0, UploadTarget::ActivePreset()));
}

}  // namespace
}  // namespace lyra
