// The graph of a Way from the PresetImage and the curve store: what RedrawBand, RedrawFilter and
// ShowWay draw, bypassed rows, and pictures of two presets for people to look at.

#include <QDir>
#include <memory>

#include "graph/GraphDrawing.h"
#include "graph/GridBitmap.h"
#include "graph/ResponseGraph.h"
#include "preset/PresetDecoder.h"
#include "tests/graph/GraphTestSupport.h"
#include "tests/preset/ExampleBlock.h"

namespace lyra {
namespace {

using graphtest::At;

constexpr int kMain = 3;

class ResponseGraphTest : public ::testing::Test {
 protected:
  // What the preset decoder does: every Way's six bands, high-pass and low-pass in turn, then
  // the Main Way is shown.
  void drawWholePreset() {
    for (int way = 0; way < kWayCount; ++way) {
      selectedWay = way;
      for (int row = 0; row < kBandsPerWay; ++row) {
        const BandSlot slot = way * kBandsPerWay + row;
        graph.RedrawBand(slot, image.band(slot).type);
      }
      graph.RedrawFilter(way, FilterEdge::HighPass, image.ways[way].hpfType);
      graph.RedrawFilter(way, FilterEdge::LowPass, image.ways[way].lpfType);
    }
    selectedWay = kMain;
    graph.ShowWay(kMain);
  }
  // Rows of column x that carry the curve's red (row 1's marker is red too: look away from it).
  std::vector<int> curveRows(int x) const {
    std::vector<int> rows;
    for (int y = 18; y <= 224; ++y) {
      if (At(graph.graphImage(), x, y) == kCurveColour) rows.push_back(y);
    }
    return rows;
  }
  void expectMarkersDrawn(int way) const {
    for (int row = 0; row < kBandsPerWay; ++row) {
      const MarkerPosition m = graph.marker(way * kBandsPerWay + row);
      EXPECT_EQ(At(graph.graphImage(), m.x - 4, m.y + 3), kBandColours[row]) << row;
    }
  }
  void save(const char* name) const {
    const QString path = QDir::current().filePath(name);
    ASSERT_TRUE(graph.graphImage().save(path)) << path.toStdString();
  }

  PresetImage image;
  std::unique_ptr<ResponseCurves> curves = std::make_unique<ResponseCurves>();
  int selectedWay = kMain;
  std::array<bool, 6> bypass{};
  ResponseGraph graph{nullptr, image, *curves, selectedWay};
};

TEST_F(ResponseGraphTest, ANeutralMainWayIsFlatAt0dBBendingDownAtTheRightEnd) {
  drawWholePreset();
  for (int x = 42; x <= 600; ++x) {
    if (x >= 95 && x <= 435) continue;  // the markers sit on the 0 dB row here
    ASSERT_EQ(curveRows(x), std::vector<int>{86}) << x;
  }
  // The low-pass filter's off end (60 kHz) still pulls the top columns slightly down.
  const auto last = curveRows(712);
  ASSERT_FALSE(last.empty());
  EXPECT_GT(last.front(), 86);
  EXPECT_LT(last.back(), 100);
  expectMarkersDrawn(kMain);
  save("graph-neutral-main-way.png");
}

TEST_F(ResponseGraphTest, BypassedRowsAreClearedWhenABandIsDrawnButNotByShowWay) {
  graph.bypassed = [this](int row) { return bypass[static_cast<std::size_t>(row)]; };
  image.band(19) = {.frequency = 136, .type = kPeakingBand, .peqGain = 180, .q = 4};
  image.band(20) = {.frequency = 40, .type = kPeakingBand, .peqGain = 0, .q = 49};  // narrow, low
  graph.RedrawBand(19, kPeakingBand);
  graph.RedrawBand(20, kPeakingBand);

  // A bypass box checked after the band was computed: ShowWay draws the stored curve as it is.
  bypass[1] = true;
  graph.ShowWay(kMain);
  EXPECT_LT(curveRows(500).front(), 86);
  EXPECT_NE(curves->bandCurve(19)[388], 0.0);

  // The next band drawing clears it for good, and the total is flat there again.
  graph.RedrawBand(23, kPeakingBand);
  for (double db : curves->bandCurve(19)) ASSERT_EQ(db, 0.0);
  EXPECT_EQ(curveRows(500), std::vector<int>{86});
  const auto at20 = static_cast<std::size_t>(graph.marker(20).x - 42);
  EXPECT_LT(curves->bandCurve(20)[at20], -20.0);  // an unchecked row keeps its curve
  bypass[1] = false;
  graph.ShowWay(kMain);
  EXPECT_EQ(curveRows(500), std::vector<int>{86});  // until that band is computed again
}

TEST_F(ResponseGraphTest, RedrawFilterComputesTheWaysFilterFromItsCutOffIndex) {
  image.ways[kMain].lpfFrequency = 136;               // 1000 Hz
  graph.RedrawFilter(kMain, FilterEdge::LowPass, 7);  // 24 dB Linkwitz-Riley
  EXPECT_NEAR(curves->lowPassCurve(kMain)[430 - 42], -6.0, 0.2);
  EXPECT_EQ(curveRows(650), std::vector<int>{224});  // far below the plot: its bottom row
  expectMarkersDrawn(kMain);
}

TEST_F(ResponseGraphTest, BeforeAWayIsSelectedOnlyTheGridIsShown) {
  selectedWay = -1;
  graph.RedrawBand(18, kPeakingBand);
  graph.ShowWay(-1);
  EXPECT_EQ(graph.graphImage(), BuildGrid());
  graph.Image5MouseDown(101, 86);
  EXPECT_FALSE(graph.dragging());
}

TEST_F(ResponseGraphTest, PicturesOfTheExamplePresetAndOfABusyPreset) {
  ASSERT_TRUE(DecodePresetBlock(testing::kExampleBlock, image));
  drawWholePreset();
  // Every band of the example sits at 19.7 Hz and 0 dB: six markers on one spot, row 6 on top.
  for (int slot = 18; slot < 24; ++slot) EXPECT_EQ(graph.marker(slot), (MarkerPosition{99, 86}));
  EXPECT_EQ(At(graph.graphImage(), 99, 86), kBandColours[5]);
  save("graph-example-preset.png");

  // All six bands away from 0 dB, both shelf types and both filters active.
  const EqBand busy[6] = {
      {.frequency = 40, .type = kLowShelfBand, .shelfGain = 150},
      {.frequency = 70, .type = kPeakingBand, .peqGain = 80, .q = 9},
      {.frequency = 100, .type = kPeakingBand, .peqGain = 140, .q = 4},
      {.frequency = 150, .type = kPeakingBand, .peqGain = 60, .q = 19},
      {.frequency = 185, .type = kPeakingBand, .peqGain = 170, .q = 3},
      {.frequency = 215, .type = kHighShelfBand, .shelfGain = 90},
  };
  for (int row = 0; row < 6; ++row) image.band(18 + row) = busy[row];
  image.ways[kMain].hpfFrequency = 25;
  image.ways[kMain].hpfType = 7;
  image.ways[kMain].lpfFrequency = 226;
  image.ways[kMain].lpfType = 3;
  drawWholePreset();
  expectMarkersDrawn(kMain);
  // One unbroken curve: every column but the last carries it, where no marker covers it.
  for (int x = 42; x <= 712; ++x) {
    bool underMarker = false;
    for (int slot = 18; slot < 24; ++slot) underMarker |= std::abs(x - graph.marker(slot).x) <= 4;
    if (!underMarker) {
      ASSERT_FALSE(curveRows(x).empty()) << x;
    }
  }
  save("graph-busy-preset.png");
}

}  // namespace
}  // namespace lyra
