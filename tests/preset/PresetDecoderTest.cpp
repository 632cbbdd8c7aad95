#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "preset/PresetDecoder.h"
#include "tests/preset/ExampleBlock.h"

namespace lyra {
namespace {

using testing::kExampleBlock;
using testing::WithDataByte;

PresetImage Decoded(const std::string& text) {
  PresetImage image;
  EXPECT_TRUE(DecodePresetBlock(text, image));
  return image;
}

TEST(PresetDecoder, TheExampleBlockGivesItsWorkedValues) {
  PresetImage image;
  image.main.savedSystemLevel = 77;
  for (EqBand& b : image.bands)
    b = {.frequency = 99, .type = 2, .peqGain = 1, .shelfGain = 2, .q = 3};
  ASSERT_TRUE(DecodePresetBlock(kExampleBlock, image));

  for (Way way : {Way::High, Way::Mid, Way::Low}) {
    SCOPED_TRACE(WayIndex(way));
    const WaySettings& w = image.way(way);
    EXPECT_EQ(w.level, 200);
    EXPECT_EQ(w.unmuted, 1);
    EXPECT_EQ(w.limiterThreshold, 19);
    EXPECT_EQ(w.limiterAttack, 0);
    EXPECT_EQ(w.limiterRelease, 0);
  }
  for (const WaySettings& w : image.ways) {
    EXPECT_EQ(w.delaySteps, 0);
    EXPECT_EQ(w.polarity, 0);
    EXPECT_EQ(w.hpfFrequency, 0);
    EXPECT_EQ(w.hpfType, 0);
    EXPECT_EQ(w.lpfFrequency, 243);
    EXPECT_EQ(w.lpfType, 0);
  }
  for (const EqBand& b : image.bands) {
    EXPECT_EQ(b, (EqBand{.frequency = 0, .type = 0, .peqGain = 120, .shelfGain = 120, .q = 4}));
  }
  EXPECT_EQ(
      image.main,
      (MainSettings{.systemLevel = 301, .savedSystemLevel = 301, .bassEnhancer = 0, .btlMode = 0}));
  EXPECT_EQ(SystemLevelText(image.main.systemLevel), "0.0 dB");
  EXPECT_EQ(OutputLevelText(image.way(Way::High).level), "0.0 dB");
}

TEST(PresetDecoder, FieldsAreReadFromTheirBlockPositions) {
  // Each case writes one data byte and reads back the field it belongs to.
  struct Case {
    const char* what;
    std::size_t dataByte;
    std::uint8_t value;
    int (*field)(const PresetImage&);
    int expected;
  };
  const std::vector<Case> cases = {
      {"High level", 0, 0x64, [](const PresetImage& i) { return int{i.way(Way::High).level}; },
       100},
      {"Mid level", 72, 0x10, [](const PresetImage& i) { return int{i.way(Way::Mid).level}; }, 16},
      {"Low level", 144, 0x05, [](const PresetImage& i) { return int{i.way(Way::Low).level}; }, 5},
      {"Mid unmuted", 73, 0, [](const PresetImage& i) { return int{i.way(Way::Mid).unmuted}; }, 0},
      {"High delay high byte", 3, 0x01,
       [](const PresetImage& i) { return int{i.way(Way::High).delaySteps}; }, 256},
      {"Low polarity", 148, 1, [](const PresetImage& i) { return int{i.way(Way::Low).polarity}; },
       1},
      {"Mid hpfType", 81, 7, [](const PresetImage& i) { return int{i.way(Way::Mid).hpfType}; }, 7},
      {"Low lpfFrequency", 156, 100,
       [](const PresetImage& i) { return int{i.way(Way::Low).lpfFrequency}; }, 100},
      {"High limiterRelease", 18, 6,
       [](const PresetImage& i) { return int{i.way(Way::High).limiterRelease}; }, 6},
      {"Low row 5 q", 144 + 24 + 40 + 6, 9, [](const PresetImage& i) { return int{i.band(17).q}; },
       9},
      {"Mid row 0 shelfGain", 72 + 24 + 4, 150,
       [](const PresetImage& i) { return int{i.band(6).shelfGain}; }, 150},
      {"bassEnhancer", 216, 2, [](const PresetImage& i) { return int{i.main.bassEnhancer}; }, 2},
      {"systemLevel low byte", 218, 0x00,
       [](const PresetImage& i) { return int{i.main.systemLevel}; }, 256},
      {"Main delay low byte", 220, 0x97,
       [](const PresetImage& i) { return int{i.way(Way::Main).delaySteps}; }, 0x97},
      {"Main polarity", 222, 1, [](const PresetImage& i) { return int{i.way(Way::Main).polarity}; },
       1},
      {"btlMode", 223, 0x80, [](const PresetImage& i) { return int{i.main.btlMode}; }, 0x80},
      {"Main hpfFrequency", 224, 40,
       [](const PresetImage& i) { return int{i.way(Way::Main).hpfFrequency}; }, 40},
      {"Main lpfType", 229, 8, [](const PresetImage& i) { return int{i.way(Way::Main).lpfType}; },
       8},
      {"Main row 0 frequency (characters 485-486)", 232, 136,
       [](const PresetImage& i) { return int{i.band(18).frequency}; }, 136},
      {"Main row 5 type (characters 567-568)", 273, 1,
       [](const PresetImage& i) { return int{i.band(23).type}; }, 1},
      {"Main row 5 q (characters 577-578)", 278, 0,
       [](const PresetImage& i) { return int{i.band(23).q}; }, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.field(Decoded(WithDataByte(kExampleBlock, c.dataByte, c.value))), c.expected)
        << c.what;
  }
}

TEST(PresetDecoder, TheRangeRuleKeepsIndicesInsideTheirScales) {
  struct Case {
    const char* what;
    std::size_t dataByte;
    std::uint8_t value;
    int (*field)(const PresetImage&);
    int expected;
  };
  const std::vector<Case> cases = {
      {"Low level 230 -> 200", 144, 230,
       [](const PresetImage& i) { return int{i.way(Way::Low).level}; }, 200},
      {"High level 230 stays", 0, 230,
       [](const PresetImage& i) { return int{i.way(Way::High).level}; }, 230},
      {"High level 251 -> 250", 0, 251,
       [](const PresetImage& i) { return int{i.way(Way::High).level}; }, 250},
      {"Mid level 255 -> 250", 72, 255,
       [](const PresetImage& i) { return int{i.way(Way::Mid).level}; }, 250},
      {"band frequency 250 -> 243", 24, 250,
       [](const PresetImage& i) { return int{i.band(0).frequency}; }, 243},
      {"band type 3 -> 2", 25, 3, [](const PresetImage& i) { return int{i.band(0).type}; }, 2},
      {"band q 180 -> 179", 30, 180, [](const PresetImage& i) { return int{i.band(0).q}; }, 179},
      {"peqGain 200 -> 180", 26, 200, [](const PresetImage& i) { return int{i.band(0).peqGain}; },
       180},
      {"Main shelfGain 200 -> 180", 236, 200,
       [](const PresetImage& i) { return int{i.band(18).shelfGain}; }, 180},
      {"gain high byte set -> 180", 27, 1,
       [](const PresetImage& i) { return int{i.band(0).peqGain}; }, 180},
      {"Main hpfFrequency 255 -> 243", 224, 255,
       [](const PresetImage& i) { return int{i.way(Way::Main).hpfFrequency}; }, 243},
      {"Mid lpfType 9 -> 8", 85, 9,
       [](const PresetImage& i) { return int{i.way(Way::Mid).lpfType}; }, 8},
      {"delay taken as it comes", 3, 0xFF,
       [](const PresetImage& i) { return int{i.way(Way::High).delaySteps}; }, 0xFF00},
      {"limiter taken as it comes", 16, 200,
       [](const PresetImage& i) { return int{i.way(Way::High).limiterThreshold}; }, 200},
      {"systemLevel taken as it comes", 219, 0xFF,
       [](const PresetImage& i) { return int{i.main.systemLevel}; }, 0xFF2D},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.field(Decoded(WithDataByte(kExampleBlock, c.dataByte, c.value))), c.expected)
        << c.what;
  }
}

TEST(PresetDecoder, SavedSystemLevelFollowsTheDecodedSystemLevel) {
  const std::string muted = WithDataByte(WithDataByte(kExampleBlock, 218, 0), 219, 0);
  PresetImage image;
  image.main.savedSystemLevel = 250;
  ASSERT_TRUE(DecodePresetBlock(muted, image));
  EXPECT_EQ(image.main.systemLevel, 0);
  EXPECT_EQ(image.main.savedSystemLevel, 0);
  EXPECT_EQ(SystemLevelText(image.main.systemLevel), "Mute");
}

TEST(PresetDecoder, LeavesWhatABlockDoesNotCarry) {
  PresetImage image;
  image.system = {
      .lastPresetNumber = 3, .storedBytes = {1, 2}, .deviceId = 17, .temperatureLimit = 5};
  image.names.names[4] = {'H', 'a', 'l', 'l'};
  const PresetImage before = image;
  ASSERT_TRUE(DecodePresetBlock(kExampleBlock, image));
  EXPECT_EQ(image.system, before.system);
  EXPECT_EQ(image.names, before.names);
}

TEST(PresetDecoder, ATextWithoutItsDataLeavesTheImageAlone) {
  PresetImage image;
  image.way(Way::High).level = 42;
  const PresetImage before = image;
  std::string bad = kExampleBlock;
  bad[400] = 'X';
  for (const std::string& text : {kExampleBlock.substr(0, 600), bad, std::string()}) {
    EXPECT_FALSE(DecodePresetBlock(text, image));
    EXPECT_EQ(image, before);
  }
}

}  // namespace
}  // namespace lyra
