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
  // The example differs from the start-up image only in these fields: every output level at
  // 0.0 dB, every limiter threshold at "0dBu", every band at 19.7 Hz, system level 0.0 dB.
  PresetImage expected;
  for (Way way : {Way::High, Way::Mid, Way::Low}) {
    expected.way(way).level = 200;
    expected.way(way).limiterThreshold = 19;
  }
  for (EqBand& b : expected.bands) b.frequency = 0;
  expected.main.systemLevel = 301;
  expected.main.savedSystemLevel = 301;

  PresetImage image;
  image.main.savedSystemLevel = 77;
  for (EqBand& b : image.bands) b = {.frequency = 99, .type = 2, .peqGain = 1, .q = 3};
  image.way(Way::Main).level = 5;  // no such field in a block: the decode clears it
  ASSERT_TRUE(DecodePresetBlock(kExampleBlock, image));
  EXPECT_EQ(image, expected);
  EXPECT_EQ(SystemLevelText(image.main.systemLevel), "0.0 dB");
  EXPECT_EQ(OutputLevelText(image.way(Way::High).level), "0.0 dB");
}

TEST(PresetDecoder, FieldsAreReadAtTheirReferencePositionsInTheText) {
  // Text characters counted from 1, as a preset file is read: High level 21-22, Mid level
  // 165-166, Low level 309-310, bassEnhancer 453-454, systemLevel 457-460, Main band row 0
  // 485-500, Main band row 5 565-580.
  std::string text = kExampleBlock;
  auto put = [&text](std::size_t firstChar, const char* hex) {
    text.replace(firstChar - 1, std::char_traits<char>::length(hex), hex);
  };
  put(21, "64");
  put(165, "10");
  put(309, "05");
  put(453, "01");
  put(457, "2C01");
  put(485, "8801B400960002FF");
  put(565, "F3025A00780000EE");
  const PresetImage image = Decoded(text);
  EXPECT_EQ(image.way(Way::High).level, 100);
  EXPECT_EQ(image.way(Way::Mid).level, 16);
  EXPECT_EQ(image.way(Way::Low).level, 5);
  EXPECT_EQ(image.main.bassEnhancer, 1);
  EXPECT_EQ(image.main.systemLevel, 300);
  EXPECT_EQ(image.band(18),
            (EqBand{.frequency = 136, .type = 1, .peqGain = 180, .shelfGain = 150, .q = 2}));
  EXPECT_EQ(image.band(23),
            (EqBand{.frequency = 243, .type = 2, .peqGain = 90, .shelfGain = 120, .q = 0}));
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
