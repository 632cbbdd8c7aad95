#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/ParameterScales.h"
#include "model/ValueFormat.h"
#include "preset/PresetImage.h"

namespace lyra {
namespace {

TEST(PresetImage, StartsWithTheStartUpValues) {
  const PresetImage image;
  for (Way way : {Way::High, Way::Mid, Way::Low}) {
    SCOPED_TRACE(WayIndex(way));
    EXPECT_EQ(image.way(way).level, 120);  // -8.0 dB
    EXPECT_EQ(image.way(way).unmuted, 1);
    EXPECT_EQ(image.way(way).limiterThreshold, 0);
  }
  const WaySettings& main = image.way(Way::Main);
  EXPECT_EQ(main.level, 0);
  EXPECT_EQ(main.unmuted, 0);
  for (const WaySettings& w : image.ways) {
    EXPECT_EQ(w.delaySteps, 0);
    EXPECT_EQ(w.polarity, 0);
    EXPECT_EQ(w.hpfFrequency, 0);
    EXPECT_EQ(w.hpfType, 0);
    EXPECT_EQ(w.lpfFrequency, 243);
    EXPECT_EQ(w.lpfType, 0);
  }
  const std::vector<int> rowFrequency = {0, 33, 57, 80, 112, 136};
  const std::vector<std::string> rowText = {"19.7 Hz", "51.1 Hz", "102 Hz",
                                            "198 Hz",  "500 Hz",  "1000 Hz"};
  for (BandSlot slot = 0; slot < kBandSlotCount; ++slot) {
    SCOPED_TRACE(slot);
    const EqBand& b = image.band(slot);
    const auto row = static_cast<std::size_t>(RowOfSlot(slot));
    EXPECT_EQ(b.frequency, rowFrequency[row]);
    EXPECT_EQ(FormatFrequency(FrequencyScale[b.frequency]), rowText[row]);
    EXPECT_EQ(b.type, kPeakingBand);
    EXPECT_EQ(b.peqGain, 120);
    EXPECT_EQ(b.shelfGain, 120);
    EXPECT_EQ(b.q, 4);
  }
  EXPECT_EQ(image.main, MainSettings{});
  EXPECT_EQ(image.main.systemLevel, 0);
  EXPECT_EQ(image.system, SystemRecord{});
}

TEST(EqBand, EffectiveGainFollowsTheTypeWithoutTouchingEitherGain) {
  EqBand band;
  band.peqGain = 90;     // -6.0 dB
  band.shelfGain = 150;  // +6.0 dB
  struct Case {
    std::uint8_t type;
    std::string shown;
  };
  const std::vector<Case> cases = {
      {kLowShelfBand, "6.0 dB"}, {kHighShelfBand, "6.0 dB"}, {kPeakingBand, "-6.0 dB"}};
  for (const auto& c : cases) {
    band.type = c.type;
    EXPECT_EQ(FormatDb(GainScale[EffectiveGain(band)]), c.shown) << int{c.type};
    EXPECT_EQ(band.peqGain, 90);
    EXPECT_EQ(band.shelfGain, 150);
  }
}

TEST(SixteenBitFields, SplitLowByteFirstAndJoinBack) {
  struct Case {
    std::uint16_t value;
    std::uint8_t low, high;
  };
  const std::vector<Case> cases = {
      {0, 0x00, 0x00},   {180, 0xB4, 0x00},    {301, 0x2D, 0x01},
      {407, 0x97, 0x01}, {0xFFFF, 0xFF, 0xFF},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LowByte(c.value), c.low) << c.value;
    EXPECT_EQ(HighByte(c.value), c.high) << c.value;
    EXPECT_EQ(FromBytes(c.low, c.high), c.value) << c.value;
  }
}

TEST(LevelTexts, SystemAndOutputLevelsReadAsTheControlsShowThem) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {SystemLevelText(0), "Mute"},      {SystemLevelText(301), "0.0 dB"},
      {SystemLevelText(300), "-0.2 dB"}, {SystemLevelText(1), "-60.0 dB"},
      {SystemLevelText(302), "0.2 dB"},  {OutputLevelText(200), "0.0 dB"},
      {OutputLevelText(120), "-8.0 dB"}, {OutputLevelText(230), "3.0 dB"},
      {OutputLevelText(0), "-20.0 dB"},  {OutputLevelText(250), "5.0 dB"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, c.expected);
}

TEST(NameTable, ShowsANameUpToItsFirstZeroByte) {
  NameTable table;
  const std::string full = "ABCDEFGHIJKLMNOPQRST";  // all 20 bytes used, no zero
  for (std::size_t i = 0; i < full.size(); ++i)
    table.names[19][i] = static_cast<std::uint8_t>(full[i]);
  table.names[6] = {'S', 't', 'a', 'g', 'e', 0, 'x'};
  EXPECT_EQ(table.shown(6), "Stage");
  EXPECT_EQ(table.shown(19), full);
  EXPECT_EQ(table.shown(0), "");
  EXPECT_EQ(table.shown(20), "");
  EXPECT_EQ(table.shown(-1), "");
}

}  // namespace
}  // namespace lyra
