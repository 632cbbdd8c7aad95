// Storing equaliser settings in the Main path's bands: the typed-entry snapping shown with its
// effect on the response, flat bands, the Preamp, and the exact round trip of an export.

#include "measure/EqImport.h"

#include <gtest/gtest.h>

#include "model/ParameterScales.h"

namespace lyra {
namespace {

EqImport Prepared(std::string_view text, const PresetImage& image = PresetImage{}) {
  const auto parsed = ParseEqSettings(text);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    ADD_FAILURE() << *error;
    return {};
  }
  const auto prepared = PrepareEqImport(std::get<EqSettings>(parsed), image);
  if (const auto* error = std::get_if<std::string>(&prepared)) {
    ADD_FAILURE() << *error;
    return {};
  }
  return std::get<EqImport>(prepared);
}

std::string PreampRefusal(std::string_view text) {
  const auto prepared = PrepareEqImport(std::get<EqSettings>(ParseEqSettings(text)), PresetImage{});
  const auto* error = std::get_if<std::string>(&prepared);
  return error != nullptr ? *error : "(accepted)";
}

TEST(EqImport, SnapsEachValueToTheScaleAndShowsWhatThatDid) {
  const EqImport im = Prepared(
      "Filter 1: ON PK Fc 63.0 Hz Gain -3.0 dB Q 4.00\n"
      "Filter 2: ON PK Fc 62.5 Hz Gain -3.0 dB Q 4\n"
      "Filter 3: ON PK Fc 30000 Hz Gain -30 dB Q 50\n"
      "Filter 4: ON LS Fc 91 Hz Gain 4 dB\n"
      "Filter 5: ON HSC Fc 8000 Hz Gain 2.5 dB Q 0.7\n"
      "Filter 6: ON PK Fc 1000 Hz Gain -30 dB Q 1\n");
  EXPECT_EQ(im.bands[0].frequency, 40);  // 62.5 Hz
  EXPECT_EQ(im.bands[0].peqGain, 105);   // -3.0 dB
  EXPECT_EQ(im.bands[0].q, 19);          // 4.0
  EXPECT_EQ(im.report[0].stored, "ON PK Fc 62.5 Hz Gain -3.0 dB Q 4");
  EXPECT_GT(im.report[0].worstDifferenceDb, 0.01);
  EXPECT_LT(im.report[0].worstDifferenceDb, 0.5);
  EXPECT_DOUBLE_EQ(im.report[1].worstDifferenceDb, 0.0);  // a value on the scale stores as given
  // Clamped to the scales' ends: the 6 dB the device cannot cut shows in the difference.
  EXPECT_EQ(im.report[2].stored, "ON PK Fc 21900 Hz Gain -24.0 dB Q 36");
  EXPECT_EQ(im.report[5].stored, "ON PK Fc 1000 Hz Gain -24.0 dB Q 1");
  EXPECT_GT(im.report[5].worstDifferenceDb, 5.9);
  EXPECT_LT(im.report[5].worstDifferenceDb, 6.01);
  // A shelf without Q takes the entry nearest 0.707; its gain is the shelf gain.
  EXPECT_EQ(im.bands[3].type, kLowShelfBand);
  EXPECT_EQ(im.bands[3].q, NearestIndex(QScale, 0.707));
  EXPECT_EQ(im.bands[3].shelfGain, 140);
  EXPECT_EQ(im.report[3].stored, "ON LSC Fc 91 Hz Gain 4.0 dB Q 0.8");
  EXPECT_EQ(im.report[4].stored, "ON HSC Fc 8000 Hz Gain 2.4 dB Q 0.6");
  const std::string described = DescribeEqImport(im);
  EXPECT_NE(described.find("band 1: Filter 1: ON PK Fc 63.0 Hz Gain -3.0 dB Q 4.00\n  stored ON PK "
                           "Fc 62.5 Hz Gain -3.0 dB Q 4 (response differs by at most "),
            std::string::npos)
      << described;
}

TEST(EqImport, BandsTheFileLeavesOutOrTurnsOffAreMadeFlat) {
  PresetImage image;
  for (int row = 0; row < kBandsPerWay; ++row) {
    EqBand& b = image.band(ToBandSlot(Way::Main, row));
    b.frequency = static_cast<std::uint8_t>(100 + row);
    b.peqGain = 60;
    b.q = 30;
  }
  const EqImport im = Prepared(
      "Filter 1: ON PK Fc 63 Hz Gain -3 dB Q 4\n"
      "Filter 2: OFF HSC Fc 1000 Hz Gain -2.0 dB Q 1.00\n"
      "Filter 3: ON None\n",
      image);
  EXPECT_EQ(im.bands[1].type, kHighShelfBand);  // an OFF line's type, Fc and Q are kept
  EXPECT_EQ(im.bands[1].frequency, 136);
  EXPECT_EQ(im.bands[1].q, 4);
  EXPECT_EQ(EffectiveGain(im.bands[1]), kZeroDbGainIndex);
  EXPECT_EQ(im.report[1].stored, "OFF (flat) HSC Fc 1000 Hz Gain 0.0 dB Q 1");
  for (int row = 2; row < kBandsPerWay; ++row) {
    const EqBand& b = im.bands[static_cast<std::size_t>(row)];
    EXPECT_EQ(b.frequency, 100 + row);
    EXPECT_EQ(b.q, 30);
    EXPECT_EQ(b.peqGain, kZeroDbGainIndex);
    EXPECT_TRUE(im.report[static_cast<std::size_t>(row)].flat);
  }
  EXPECT_EQ(im.report[5].given, "(not in the file)");
  EXPECT_FALSE(im.report[5].line);

  ApplyEqImport(im, image);
  EXPECT_EQ(image.band(ToBandSlot(Way::Main, 0)).frequency, 40);
  EXPECT_EQ(image.band(ToBandSlot(Way::High, 0)).frequency, 0);       // only the Main path changes
  EXPECT_EQ(image.main.systemLevel, PresetImage{}.main.systemLevel);  // no Preamp, no level
}

TEST(EqImport, PreampGoesToTheSystemLevelWhereItFits) {
  EXPECT_EQ(*Prepared("Preamp: -3 dB\n").systemLevel, 286);
  EXPECT_EQ(Prepared("Preamp: -3 dB\n").preampReport, "Preamp -3 dB: system level -3.0 dB");
  EXPECT_EQ(*Prepared("Preamp: 0 dB\n").systemLevel, kSystemLevelZeroDb);
  EXPECT_EQ(*Prepared("Preamp: -60 dB\n").systemLevel, 1);
  // Typed into the level field, -6.3 dB is stored as -6.4 dB: the field's rule, kept here.
  EXPECT_EQ(*Prepared("Preamp: -6.3 dB\n").systemLevel, 269);
  EXPECT_EQ(PreampRefusal("\nPreamp: +0.1 dB\n"),
            "line 2: Preamp 0.1 dB is above the system level's top (0.0 dB)");
  EXPECT_EQ(PreampRefusal("Preamp: -60.1 dB\n"),
            "line 1: Preamp -60.1 dB is below the system level's bottom (-60.0 dB)");
  PresetImage image;
  ApplyEqImport(Prepared("Preamp: -3 dB\n"), image);
  EXPECT_EQ(image.main.systemLevel, 286);
  EXPECT_EQ(image.main.savedSystemLevel, 286);
}

// Export -> import gives back the same indices, for every type and every entry of each scale.
TEST(EqImport, ExportReadsBackToTheSameIndices) {
  const std::array<bool, kBandsPerWay> noBypass{};
  const auto roundTrip = [&](const PresetImage& image) {
    const EqImport im = Prepared(WriteEqSettings(image, noBypass), PresetImage{});
    for (int row = 0; row < kBandsPerWay; ++row) {
      const EqBand& want = image.band(ToBandSlot(Way::Main, row));
      const EqBand& got = im.bands[static_cast<std::size_t>(row)];
      ASSERT_EQ(got.type, want.type) << WriteEqSettings(image, noBypass);
      ASSERT_EQ(got.frequency, want.frequency) << WriteEqSettings(image, noBypass);
      ASSERT_EQ(got.q, want.q) << WriteEqSettings(image, noBypass);
      ASSERT_EQ(EffectiveGain(got), EffectiveGain(want)) << WriteEqSettings(image, noBypass);
    }
  };
  for (std::uint8_t type : {kPeakingBand, kLowShelfBand, kHighShelfBand}) {
    for (int i = 0; i <= kMaxFrequencyIndex; ++i) {
      PresetImage image;
      for (int row = 0; row < kBandsPerWay; ++row) {
        EqBand& b = image.band(ToBandSlot(Way::Main, row));
        b.type = type;
        b.frequency = static_cast<std::uint8_t>((i + 41 * row) % (kMaxFrequencyIndex + 1));
        b.q = static_cast<std::uint8_t>((i + 31 * row) % (kMaxQIndex + 1));
        (type == kPeakingBand ? b.peqGain : b.shelfGain) =
            static_cast<std::uint16_t>((i + 29 * row) % (kMaxGainIndex + 1));
      }
      roundTrip(image);
    }
  }
}

TEST(EqImport, ExportWritesBypassedAndFlatBandsOff) {
  PresetImage image;
  EqBand& first = image.band(ToBandSlot(Way::Main, 0));
  first.frequency = 40;
  first.peqGain = 105;
  first.q = 19;
  EqBand& second = image.band(ToBandSlot(Way::Main, 1));
  second.type = kLowShelfBand;
  second.shelfGain = 140;
  second.peqGain = 90;  // the gain the band's type does not use is not written
  std::array<bool, kBandsPerWay> bypass{};
  bypass[0] = true;
  EXPECT_EQ(WriteEqSettings(image, bypass),
            "Filter 1: OFF PK Fc 62.5 Hz Gain -3.0 dB Q 4\n"
            "Filter 2: ON LSC Fc 51.1 Hz Gain 4.0 dB Q 1\n"
            "Filter 3: OFF PK Fc 102 Hz Gain 0.0 dB Q 1\n"
            "Filter 4: OFF PK Fc 198 Hz Gain 0.0 dB Q 1\n"
            "Filter 5: OFF PK Fc 500 Hz Gain 0.0 dB Q 1\n"
            "Filter 6: OFF PK Fc 1000 Hz Gain 0.0 dB Q 1\n");
  // A bypassed band sounds flat on the device, and comes back flat.
  const EqImport im = Prepared(WriteEqSettings(image, bypass), image);
  EXPECT_EQ(im.bands[0].peqGain, kZeroDbGainIndex);
  EXPECT_EQ(im.bands[0].frequency, 40);
}

}  // namespace
}  // namespace lyra
