#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "response/FilterDesigns.h"
#include "model/ParameterScales.h"
#include "response/ResponseCurves.h"
#include "model/ValueFormat.h"

namespace lyra {
namespace {

// The gain a band shows at its centre: G dB scaled by the graph's 40 / ln 101 decibels.
double DrawnDb(double db) {
  return db * 2.0 * std::log(10.0) / std::log(101.0);
}

std::string Tenths(double db) {
  return FormatFixed(db, 1);
}

class ResponseCurvesTest : public ::testing::Test {
 protected:
  // Held on the heap: the store keeps 32 curves of 672 values.
  std::unique_ptr<ResponseCurves> curves = std::make_unique<ResponseCurves>();
};

TEST_F(ResponseCurvesTest, PeakingBandAt1000HzPlus12dBQ1) {
  curves->computeBandCurve(18, 0, 4, BandMarker(136, 180));
  const auto& c = curves->bandCurve(18);
  const auto peak = std::max_element(c.begin(), c.end()) - c.begin();
  EXPECT_EQ(peak, 388);  // column 430
  EXPECT_EQ(Tenths(c[388]), "12.0");
  EXPECT_NEAR(c[388], DrawnDb(12.0), 1e-3);
  EXPECT_EQ(Tenths(c[400 - 42]), "10.6");
  EXPECT_EQ(Tenths(c[460 - 42]), "10.6");
  EXPECT_NEAR(c[0], 0.0, 0.2);    // far below the band
  EXPECT_NEAR(c[671], 0.0, 0.3);  // far above it
}

TEST_F(ResponseCurvesTest, ABandAtTheBottomOfTheGainScaleIsDrawnForItsMarkerRow) {
  curves->computeBandCurve(5, 0, 4, BandMarker(136, 0));  // marker at y = 198: -23.8 dB
  EXPECT_NEAR(curves->bandCurve(5)[388], DrawnDb(-23.8), 1e-3);
}

TEST_F(ResponseCurvesTest, ZeroGainBandsAreFlat) {
  const MarkerPosition flat = BandMarker(112, 120);
  ASSERT_EQ(MarkerGain(flat.y), 0.0);
  for (int type : {0, 1, 2}) {
    curves->computeBandCurve(0, type, 17, flat);
    for (double v : curves->bandCurve(0)) ASSERT_NEAR(v, 0.0, 1e-12) << "type " << type;
  }
}

TEST_F(ResponseCurvesTest, ShelvesLiftTheirOwnEndOfTheGraph) {
  const MarkerPosition plus6 = BandMarker(136, 150);
  const double g = DrawnDb(MarkerGain(plus6.y));
  curves->computeBandCurve(0, 1, 0, plus6);
  curves->computeBandCurve(1, 2, 0, plus6);
  const auto& low = curves->bandCurve(0);
  const auto& high = curves->bandCurve(1);
  EXPECT_NEAR(low.front(), g, 0.05);
  EXPECT_NEAR(low.back(), 0.0, 0.05);
  EXPECT_NEAR(high.front(), 0.0, 0.05);
  EXPECT_NEAR(high.back(), g, 0.2);
}

TEST_F(ResponseCurvesTest, StoredCurvesAgreeWithTheSectionFormulaAtEveryColumn) {
  // The per-column shortcut must give what the plain formula gives for each section.
  struct Case {
    const char* what;
    std::vector<Section> sections;
  };
  std::vector<Case> cases = {
      {"peaking", {PeakingSection(MarkerFrequency(300), MarkerGain(60), 2.4)}},
      {"low shelf", {LowShelfSection(MarkerFrequency(200), MarkerGain(150))}},
      {"high shelf", {HighShelfSection(MarkerFrequency(600), MarkerGain(40))}},
  };
  for (int code = 0; code < kFilterTypeCount; ++code) {
    const auto lp = LowPassSections(2000, code);
    const auto hp = HighPassSections(60, code);
    cases.push_back({"low-pass", {lp[0], lp[1]}});
    cases.push_back({"high-pass", {hp[0], hp[1]}});
  }
  ResponseCurves::Curve curve{};
  for (const auto& c : cases) {
    curves->evaluate(c.sections, curve);
    for (int i = 0; i < kColumnCount; ++i) {
      double expected = 0;
      for (const Section& s : c.sections) expected += SectionGainDb(s, ColumnFrequency(42 + i));
      ASSERT_NEAR(curve[static_cast<std::size_t>(i)], expected, 1e-9) << c.what << " column " << i;
    }
  }
}

TEST_F(ResponseCurvesTest, LowPassAt1000HzLosesThreeOrSixDecibels) {
  struct Case {
    int code;
    double db;
  };
  const std::vector<Case> cases = {{0, -3}, {1, -6}, {2, -3}, {3, -3}, {4, -6},
                                   {5, -3}, {6, -3}, {7, -6}, {8, -3}};
  for (const auto& c : cases) {
    const auto s = LowPassSections(LowPassCutoff(136), c.code);
    EXPECT_NEAR(SectionGainDb(s[0], 1000) + SectionGainDb(s[1], 1000), c.db, 0.1) << c.code;
    curves->computeLowPassCurve(3, 136, c.code);
    EXPECT_NEAR(curves->lowPassCurve(3)[388], c.db, 0.1) << c.code;  // 999.6 Hz
  }
}

TEST_F(ResponseCurvesTest, HighPassBesselAt1000HzIsAbout1Point4DecibelsDown) {
  const auto s = HighPassSections(HighPassCutoff(136), 2);
  EXPECT_NEAR(SectionGainDb(s[0], 1000) + SectionGainDb(s[1], 1000), -1.4, 0.05);
}

TEST_F(ResponseCurvesTest, FiltersAtTheEndsOfTheScaleAreOff) {
  EXPECT_EQ(LowPassCutoff(243), 60000.0);
  EXPECT_EQ(LowPassCutoff(242), 21300.0);
  EXPECT_EQ(HighPassCutoff(0), 1.0);
  EXPECT_EQ(HighPassCutoff(1), 20.3);
  for (int code = 0; code < kFilterTypeCount; ++code) {
    curves->computeHighPassCurve(2, 0, code);
    for (double v : curves->highPassCurve(2)) ASSERT_NEAR(v, 0.0, 0.1) << "high-pass " << code;
    curves->computeLowPassCurve(2, 243, code);
    const auto& lp = curves->lowPassCurve(2);
    EXPECT_NEAR(lp[388], 0.0, 0.01) << code;
    EXPECT_LT(lp[671], lp[600]) << "low-pass " << code << " bends down at the right end";
  }
  curves->computeLowPassCurve(2, 243, 1);
  EXPECT_NEAR(curves->lowPassCurve(2)[671], -2.5, 0.05);
}

TEST(FilterDesigns, EachTypeKeepsItsOwnDampingAndCutOffFactor) {
  // A second-order section's damping is (a0 - 1) / sin w0 at w0 = (fc / K) 2 pi / 96000.
  // 0.70422535 and 0.70422535211 differ in the ninth digit; each must be where it belongs.
  struct Case {
    bool highPass;
    int code;
    std::size_t section;
    double k, d;
  };
  const std::vector<Case> cases = {
      {false, 0, 0, 1, 0.70422535},
      {false, 1, 0, 1, 1.0},
      {false, 3, 1, 1, 0.5},
      {false, 4, 1, 1, 0.70422535211},
      {false, 6, 0, 1, 0.92592593},
      {false, 6, 1, 1, 0.38167939},
      {false, 7, 0, 1, 0.70422535211},
      {false, 7, 1, 1, 0.70422535211},
      {true, 0, 0, 1, 0.70422535},
      {true, 4, 1, 1, 0.70422535211},
      {true, 7, 0, 1, 0.70422535211},
      {true, 2, 0, 1.2683112435, 0.70422535},
      {true, 5, 1, 1.2854981442, 0.72463768},
      {true, 8, 0, 1.5006420029, 0.96153846},
      {true, 8, 1, 1.5006420029, 0.61728395},
  };
  const double fc = 1000;
  for (const auto& c : cases) {
    const Section s = c.highPass ? HighPassSections(fc, c.code)[c.section]
                                 : LowPassSections(fc, c.code)[c.section];
    EXPECT_NEAR((s.a0 - 1) / std::sin(fc / c.k * kRadiansPerHz), c.d, 1e-12)
        << (c.highPass ? "high-pass " : "low-pass ") << c.code << "/" << c.section;
  }
  // The 12 dB types have one section; the other is left out.
  for (int code : {0, 1}) EXPECT_EQ(LowPassSections(fc, code)[1].a1, 0.0);
}

TEST(BiquadSection, AZeroA0CountsAsATinyOne) {
  const Section n = Normalised({.b0 = 1, .b1 = 2, .b2 = 0, .a0 = 0, .a1 = 1, .a2 = 0});
  EXPECT_DOUBLE_EQ(n.b0, 1e10);
  EXPECT_DOUBLE_EQ(n.b1, 2e10);
  EXPECT_DOUBLE_EQ(n.a1, 1e10);
  EXPECT_TRUE(std::isfinite(SectionGainDb({.b0 = 1, .a0 = 0, .a1 = 1}, 1000)));
  EXPECT_EQ(SectionGainDb(Section::Unity(), 1234), 0.0);
}

}  // namespace
}  // namespace lyra
