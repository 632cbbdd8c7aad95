// The Main path's response as data: its magnitude is the graph's curve, its phase agrees with
// values worked by hand from the analog prototypes.

#include "measure/ResponseData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "response/FilterDesigns.h"
#include "model/ParameterScales.h"
#include "response/PlotGeometry.h"
#include "response/ResponseCurves.h"
#include "tests/support/GraphColumns.h"

namespace lyra {
namespace {

constexpr std::array<bool, kBandsPerWay> kNoBypass{};

double PhaseDeg(std::span<const Section> sections, double hz) {
  return ResponseAt(sections, hz).phaseDeg;
}

// The difference of two angles, taken the short way round (so -180 and +180 agree).
double AngleDifference(double a, double b) {
  return std::remainder(a - b, 360.0);
}

PresetImage ShapedMain(int hpfType, int lpfType) {
  PresetImage image;
  const std::array<EqBand, kBandsPerWay> bands = {{
      {.frequency = 40, .type = kPeakingBand, .peqGain = 105, .q = 19},
      {.frequency = 20, .type = kLowShelfBand, .shelfGain = 150, .q = 3},
      {.frequency = 200, .type = kHighShelfBand, .shelfGain = 90, .q = 3},
      {.frequency = 120, .type = kPeakingBand, .peqGain = 170, .q = 0},
      {.frequency = 160, .type = kPeakingBand, .peqGain = 20, .q = 179},
      {.frequency = 230, .type = kPeakingBand, .peqGain = 150, .q = 9},
  }};
  for (int row = 0; row < kBandsPerWay; ++row)
    image.band(ToBandSlot(Way::Main, row)) = bands[static_cast<std::size_t>(row)];
  WaySettings& main = image.way(Way::Main);
  main.hpfFrequency = 30;
  main.hpfType = static_cast<std::uint8_t>(hpfType);
  main.lpfFrequency = 210;
  main.lpfType = static_cast<std::uint8_t>(lpfType);
  return image;
}

TEST(ResponseData, MagnitudeIsTheGraphsCurveAtEveryColumn) {
  const auto curves = std::make_unique<ResponseCurves>();
  std::array<bool, kBandsPerWay> bypass{};
  bypass[4] = true;
  constexpr int kMain = 3;
  for (int code = 0; code < kFilterTypeCount; ++code) {
    const PresetImage image = ShapedMain(code, kFilterTypeCount - 1 - code);
    // As the graph computes the Main Way (ResponseGraph::RedrawBand, RedrawFilter).
    for (int row = 0; row < kBandsPerWay; ++row) {
      const int slot = ToBandSlot(Way::Main, row);
      const EqBand& band = image.band(slot);
      if (bypass[static_cast<std::size_t>(row)]) {
        curves->clearBandCurve(slot);
      } else {
        curves->computeBandCurve(slot, band.type, band.q,
                                 BandMarker(band.frequency, EffectiveGain(band)));
      }
    }
    const WaySettings& main = image.way(Way::Main);
    curves->computeHighPassCurve(kMain, main.hpfFrequency, main.hpfType);
    curves->computeLowPassCurve(kMain, main.lpfFrequency, main.lpfType);

    EXPECT_TRUE(test::MagnitudeIsTheGraphsCurve(MainPathSections(image, bypass), *curves, kMain))
        << "filter code " << code;
  }
}

TEST(ResponseData, PhaseAtTheGraphsColumnsIsTheResponsesPhase) {
  std::array<bool, kBandsPerWay> bypass{};
  bypass[1] = true;
  const PresetImage image = ShapedMain(4, 8);
  ColumnPhases phase{};
  MainPhaseAtColumns(image, bypass, phase);
  const std::vector<Section> sections = MainPathSections(image, bypass);
  for (int i = 0; i < kColumnCount; ++i) {
    const double hz = ColumnFrequency(kFirstColumnX + i);
    ASSERT_NEAR(phase[static_cast<std::size_t>(i)], ResponseAt(sections, hz).phaseDeg, 1e-9)
        << "column " << kFirstColumnX + i;
  }
}

// The worked values below come from the analog prototypes of each design, taken through the
// bilinear transform with prewarping by hand (python3): a section designed at w0 answers at w as
// its prototype at Omega = tan(w/2) / tan(w0/2), w = 2 pi f / 96000, w0 = fc * 6.544985e-05 (the
// curves' constant; Bessel cut-offs divided by their k, shelf corners moved by their factor).
//   peaking:    (1 - O^2 + j O A/Q) / (1 - O^2 + j O/(A Q)), Q = sin w0 / (2 alpha)
//   low shelf:  A (s^2 + r s + A) / (A s^2 + r s + 1), r = sqrt(A) sqrt((A + 1/A)(1/1.3 - 1) + 2)
//   high shelf: A (A s^2 + r s + 1) / (s^2 + r s + A)
//   2nd order:  1 / (1 - O^2 + 2 j d O) low, -O^2 / (1 - O^2 + 2 j d O) high, d the damping
//   1st order:  1 / (1 + j d O) low, j O' / (d T + j O') high, O' = tan(w/2), T = tan(w0/2)
//   Bessel low: 1 / (1 + j F O - D O^2) per section
TEST(ResponseData, BandPhaseAgreesWithWorkedValues) {
  const struct {
    Section section;
    double hz;
    double degrees;
  } cases[] = {
      {PeakingSection(1000, 6, 2), 500, 18.2070},   {PeakingSection(1000, 6, 2), 1000, 0.0},
      {PeakingSection(1000, 6, 2), 1414, -18.1935}, {PeakingSection(1000, 6, 2), 2000, -18.1988},
      {LowShelfSection(100, 6), 50, -11.7553},      {LowShelfSection(100, 6), 100, -28.3529},
      {LowShelfSection(100, 6), 200, -22.5840},     {HighShelfSection(5000, -4), 2500, -15.3589},
      {HighShelfSection(5000, -4), 5000, -18.5191}, {HighShelfSection(5000, -4), 10000, -7.2904},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(AngleDifference(PhaseDeg(std::span<const Section>(&c.section, 1), c.hz), c.degrees),
                0.0, 0.01)
        << c.hz << " Hz";
  }
}

TEST(ResponseData, FilterPhaseAgreesWithWorkedValuesForEveryFamilyAndSlope) {
  // Cut-off 1000 Hz, at 300, 1000 and 3000 Hz; codes "12db-Bworth" .. "24db-Bessel".
  constexpr std::array<double, 3> kHz = {300, 1000, 3000};
  constexpr std::array<std::array<double, 3>, kFilterTypeCount> kLowPass = {{
      {-24.8981, -90.0000, -152.2429},
      {-33.3882, -90.0000, -143.2284},
      {-23.3875, -74.3407, -138.2834},
      {-34.9333, -135.0000, 128.8746},
      {-41.5922, -135.0000, 136.1429},
      {-30.1749, -99.5039, 155.8934},
      {-45.5144, -180.0000, 50.6020},
      {-49.7962, -180.0000, 55.5142},
      {-36.2445, -121.0648, 91.9300},
  }};
  constexpr std::array<std::array<double, 3>, kFilterTypeCount> kHighPass = {{
      {155.1019, 90.0000, 27.7571},
      {146.6118, 90.0000, 36.7716},
      {147.9342, 71.1758, 21.6166},
      {-124.9333, 135.0000, 38.8746},
      {-131.5922, 135.0000, 46.1429},
      {-150.3034, 101.1438, 32.9347},
      {-45.5144, -180.0000, 50.6020},
      {-49.7962, -180.0000, 55.5142},
      {-82.2248, 122.4747, 40.1634},
  }};
  for (int code = 0; code < kFilterTypeCount; ++code) {
    const FilterSections low = LowPassSections(1000, code);
    const FilterSections high = HighPassSections(1000, code);
    for (std::size_t k = 0; k < kHz.size(); ++k) {
      const auto c = static_cast<std::size_t>(code);
      EXPECT_NEAR(AngleDifference(PhaseDeg(low, kHz[k]), kLowPass[c][k]), 0.0, 0.01)
          << "low-pass code " << code << " at " << kHz[k] << " Hz";
      EXPECT_NEAR(AngleDifference(PhaseDeg(high, kHz[k]), kHighPass[c][k]), 0.0, 0.01)
          << "high-pass code " << code << " at " << kHz[k] << " Hz";
    }
  }
}

TEST(ResponseData, PointsRunFrom20HzTo20kHzAt48PerOctaveWithDelayWhereAsked) {
  const std::vector<double> hz = ResponseFrequencies();
  ASSERT_EQ(hz.size(), 479u);
  EXPECT_DOUBLE_EQ(hz.front(), 20.0);
  EXPECT_LE(hz.back(), 20000.0);
  EXPECT_GT(hz.back() * std::exp2(1.0 / 48), 20000.0);
  EXPECT_NEAR(hz[48], 40.0, 1e-9);

  PresetImage image = ShapedMain(7, 7);
  image.way(Way::Main).delaySteps = 100;  // 2.1 ms
  const std::vector<ResponsePoint> plain = MainResponse(image, kNoBypass, false);
  const std::vector<ResponsePoint> delayed = MainResponse(image, kNoBypass, true);
  ASSERT_EQ(plain.size(), hz.size());
  for (std::size_t k = 0; k < hz.size(); k += 37) {
    EXPECT_DOUBLE_EQ(delayed[k].magnitudeDb, plain[k].magnitudeDb);
    EXPECT_NEAR(AngleDifference(delayed[k].phaseDeg - plain[k].phaseDeg, -360.0 * hz[k] * 0.0021),
                0.0, 1e-6)
        << hz[k] << " Hz";
    EXPECT_LE(std::abs(delayed[k].phaseDeg), 180.0);
  }
}

TEST(ResponseData, WritesFrdAndCsv) {
  const std::vector<ResponsePoint> points = {{20.0, -0.5, 12.345}, {20.2902, 0.0004, -179.999}};
  EXPECT_EQ(WriteFrd(points),
            "* LYRAPHONE Main path: equaliser, high-pass and low-pass\n"
            "* Frequency (Hz)  Magnitude (dB)  Phase (degrees)\n"
            "20.000 -0.500 12.35\n"
            "20.290 0.000 -180.00\n");
  EXPECT_EQ(WriteCsv(points),
            "Frequency (Hz),Magnitude (dB),Phase (degrees)\n"
            "20.000,-0.500,12.35\n"
            "20.290,0.000,-180.00\n");
}

}  // namespace
}  // namespace lyra
