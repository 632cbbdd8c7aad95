// Property: for any valid image, the ParameterRows that edits send, placed where a preset block
// keeps them, decode back to the same image. This ties the row layouts that writes use to the
// block layout that reads use.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "preset/ParameterRow.h"
#include "preset/PresetDecoder.h"
#include "tests/preset/ExampleBlock.h"

namespace lyra {
namespace {

class Draw {
 public:
  explicit Draw(std::uint32_t seed) : rng_(seed) {}
  std::uint8_t byte(int max = 255) { return static_cast<std::uint8_t>(upTo(max)); }
  std::uint16_t word(int max = 0xFFFF) { return static_cast<std::uint16_t>(upTo(max)); }

 private:
  int upTo(int max) { return std::uniform_int_distribution<int>(0, max)(rng_); }
  std::mt19937 rng_;
};

// Every field inside the range the decoder keeps; fields it takes as they come use their whole
// width. The Main Way has no level, mute or limiter, so those stay 0.
PresetImage RandomImage(Draw& draw) {
  PresetImage image;
  for (int wayIndex = 0; wayIndex < kWayCount; ++wayIndex) {
    const Way way = static_cast<Way>(wayIndex);
    WaySettings& w = image.way(way);
    w = WaySettings{};
    if (way != Way::Main) {
      w.level = draw.byte(way == Way::Low ? 200 : 250);
      w.unmuted = draw.byte();
      w.limiterThreshold = draw.byte();
      w.limiterAttack = draw.byte();
      w.limiterRelease = draw.byte();
    }
    w.delaySteps = draw.word();
    w.polarity = draw.byte();
    w.hpfFrequency = draw.byte(243);
    w.hpfType = draw.byte(8);
    w.lpfFrequency = draw.byte(243);
    w.lpfType = draw.byte(8);
  }
  for (EqBand& b : image.bands) {
    b = {.frequency = draw.byte(243),
         .type = draw.byte(2),
         .peqGain = draw.word(180),
         .shelfGain = draw.word(180),
         .q = draw.byte(179)};
  }
  image.main.bassEnhancer = draw.byte();
  image.main.systemLevel = draw.word();
  image.main.savedSystemLevel = image.main.systemLevel;
  image.main.btlMode = draw.byte();
  return image;
}

// Where a row sits among the 320 data bytes: High, Mid and Low items 0..8 from 0, 72 and 144;
// the Main Way's groups 3..10 from 216.
std::size_t BlockPosition(RowAddress a) {
  if (a.group <= 2) return 72u * a.group + 8u * a.item;
  return 216u + 8u * (a.group - 3u);
}

std::string TextWithRows(const PresetImage& image) {
  std::string text = testing::kExampleBlock;
  for (const RowAddress a : PresetRowAddresses()) {
    const auto row = BuildParameterRow(image, a);
    EXPECT_TRUE(row.has_value());
    for (std::size_t k = 0; k < row->size(); ++k) {
      text = testing::WithDataByte(text, BlockPosition(a) + k, (*row)[k]);
    }
  }
  return text;
}

TEST(RowBlockRoundTrip, RowsPlacedInABlockDecodeToTheSameImage) {
  constexpr std::uint32_t kFirstSeed = 20240601;
  for (std::uint32_t seed = kFirstSeed; seed < kFirstSeed + 300; ++seed) {
    Draw draw(seed);
    const PresetImage image = RandomImage(draw);
    PresetImage decoded;
    decoded.system = image.system;
    ASSERT_TRUE(DecodePresetBlock(TextWithRows(image), decoded));
    ASSERT_EQ(decoded, image) << "replay with seed " << seed;
  }
}

TEST(RowBlockRoundTrip, TheRowsCoverEveryDecodedByte) {
  // Rows of an image whose every field is at its largest fill each decoded byte, so a field the
  // rows forgot would decode as the example's value instead.
  PresetImage image;
  for (WaySettings& w : image.ways) {
    w = {.level = 200,
         .unmuted = 255,
         .delaySteps = 0xFFFF,
         .polarity = 255,
         .hpfFrequency = 243,
         .hpfType = 8,
         .lpfFrequency = 242,
         .lpfType = 8,
         .limiterThreshold = 255,
         .limiterAttack = 255,
         .limiterRelease = 255};
  }
  image.way(Way::Main) = {.delaySteps = 0xFFFF,
                          .polarity = 255,
                          .hpfFrequency = 243,
                          .hpfType = 8,
                          .lpfFrequency = 242,
                          .lpfType = 8};
  for (EqBand& b : image.bands)
    b = {.frequency = 243, .type = 2, .peqGain = 180, .shelfGain = 179, .q = 179};
  image.main = {
      .systemLevel = 0xFFFF, .savedSystemLevel = 0xFFFF, .bassEnhancer = 255, .btlMode = 255};
  PresetImage decoded;
  ASSERT_TRUE(DecodePresetBlock(TextWithRows(image), decoded));
  EXPECT_EQ(decoded, image);
}

}  // namespace
}  // namespace lyra
