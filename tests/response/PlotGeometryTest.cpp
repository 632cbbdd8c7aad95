#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "response/PlotGeometry.h"

namespace lyra {
namespace {

TEST(PlotGeometry, MarginsAndSpanOfThe720By249Graph) {
  EXPECT_EQ(kLeftMargin, 60);
  EXPECT_EQ(kRightMargin, 33);
  EXPECT_EQ(kPlotSpan, 581);
  EXPECT_EQ(kColumnCount, 672);
}

TEST(PlotGeometry, ColumnsStandForTheirFrequencies) {
  struct Case {
    int x;
    double hz;
    double tolerance;
  };
  const std::vector<Case> cases = {
      {101, 20.0, 1e-9},   {682, 20000.0, 1e-6}, {42, 9.92, 0.005},
      {713, 28913.0, 0.5}, {430, 999.6, 0.05},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(ColumnFrequency(c.x), c.hz, c.tolerance) << c.x;
    EXPECT_EQ(MarkerFrequency(c.x), ColumnFrequency(c.x)) << c.x;
  }
}

TEST(PlotGeometry, FrequenciesAndGainsMapToPixels) {
  struct Case {
    double value;
    int pixel;
  };
  const std::vector<Case> columns = {
      {20, 101}, {1000, 430}, {20000, 682}, {19.7, 99}, {21900, 689}};
  for (const auto& c : columns) EXPECT_EQ(FrequencyToX(c.value), c.pixel) << c.value;
  const std::vector<Case> rows = {{15, 16}, {12, 30}, {0, 86}, {-24, 198}, {-30, 227}, {20, -7}};
  for (const auto& c : rows) EXPECT_EQ(GainToY(c.value), c.pixel) << c.value;
}

TEST(PlotGeometry, MarkerRowsStandForWholeTenthsOfADecibel) {
  struct Case {
    int y;
    double db;
  };
  const std::vector<Case> cases = {{30, 12.0}, {86, 0.0}, {198, -23.8}, {16, 15.0}, {85, 0.2}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(MarkerGain(c.y), c.db) << c.y;
}

TEST(PlotGeometry, BandMarkersSitOnTheirFrequencyAndGain) {
  struct Case {
    int frequencyIndex, gainIndex;
    MarkerPosition marker;
  };
  const std::vector<Case> cases = {
      {136, 180, {430, 30}},
      {136, 0, {430, 198}},
      {0, 120, {99, 86}},
      {243, 120, {689, 86}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BandMarker(c.frequencyIndex, c.gainIndex), c.marker)
        << c.frequencyIndex << "/" << c.gainIndex;
  }
}

TEST(PlotGeometry, TruncationCutsTowardZeroAndNeverOverflows) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double value;
    int truncated;
  };
  const std::vector<Case> cases = {
      {2.9, 2},          {-2.9, -2},          {-0.5, 0},
      {inf, 1000000000}, {-inf, -1000000000}, {std::numeric_limits<double>::quiet_NaN(), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(TruncToInt(c.value), c.truncated) << c.value;
  EXPECT_EQ(GainToY(-inf), 1000000000);
}

}  // namespace
}  // namespace lyra
