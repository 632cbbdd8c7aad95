// The total curve and the markers as pixels, on a black image so that every coloured pixel is
// theirs.

#include <limits>

#include "graph/GraphDrawing.h"
#include "tests/graph/GraphTestSupport.h"

namespace lyra {
namespace {

using graphtest::At;

QImage Black() {
  QImage image(kGraphWidth, kGraphHeight, QImage::Format_RGB32);
  image.fill(Qt::black);
  return image;
}

std::vector<QPoint> RedPixels(const QImage& image) {
  std::vector<QPoint> red;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (At(image, x, y) == kCurveColour) red.emplace_back(x, y);
    }
  }
  return red;
}

ColumnTotals Flat(double db) {
  ColumnTotals totals;
  totals.fill(db);
  return totals;
}

TEST(TotalCurve, AFlatTotalIsOneRowAndLeavingThePlotRunsAlongItsEdge) {
  struct Case {
    double db;
    int row;
  };
  const Case cases[] = {
      {0.0, 86},
      {+20.0, 18},   // above the plot: along its top row, not lost
      {-40.0, 224},  // below: along its bottom row
      {-std::numeric_limits<double>::infinity(), 224},
  };
  for (const Case& c : cases) {
    QImage image = Black();
    DrawTotalCurve(image, Flat(c.db));
    const auto red = RedPixels(image);
    // Column 42 up to the last column's point, which ends the line and is not set.
    ASSERT_EQ(red.size(), 671u) << c.db;
    for (const QPoint& p : red) ASSERT_EQ(p.y(), c.row) << c.db;
    EXPECT_EQ(red.front().x(), 42);
    EXPECT_EQ(red.back().x(), 712);
  }
}

TEST(TotalCurve, AJumpFromBelowToAboveStaysInsideTheFrame) {
  ColumnTotals totals = Flat(-60.0);
  for (std::size_t i = 300; i < totals.size(); ++i) totals[i] = +60.0;
  QImage image = Black();
  DrawTotalCurve(image, totals);
  for (const QPoint& p : RedPixels(image)) {
    ASSERT_GE(p.y(), 18);
    ASSERT_LE(p.y(), 224);
  }
  // The step is one unbroken vertical stroke over columns 341 and 342.
  for (int y = 18; y <= 224; ++y) {
    EXPECT_TRUE(At(image, 341, y) == kCurveColour || At(image, 342, y) == kCurveColour) << y;
  }
}

TEST(Markers, SquaresOfEightPixelsInTheRowColoursWithTheirNumbers) {
  const std::array<MarkerPosition, 6> markers = {
      {{101, 86}, {177, 117}, {236, 116}, {294, 32}, {371, 198}, {429, 150}}};
  QImage image = Black();
  DrawMarkers(image, markers);
  for (std::size_t row = 0; row < markers.size(); ++row) {
    const auto [x, y] = markers[row];
    const QRgb colour = kBandColours[row];
    for (auto [dx, dy] : {std::pair{-4, -4}, {3, -4}, {-4, 3}, {3, 3}, {0, 0}}) {
      EXPECT_EQ(At(image, x + dx, y + dy), colour) << row << ": " << dx << "," << dy;
    }
    // Nothing of the square one pixel beyond it on the left, right and on the side without text.
    EXPECT_EQ(At(image, x - 5, y), qRgb(0, 0, 0)) << row;
    EXPECT_EQ(At(image, x + 4, y), qRgb(0, 0, 0)) << row;
    const bool below = y > 116;
    EXPECT_EQ(At(image, x, below ? y - 5 : y + 4), qRgb(0, 0, 0)) << row;
    // The number: under the square low in the plot, over it high up.
    const int labelTop = below ? y + 4 : y - 18;
    EXPECT_TRUE(graphtest::AnyWhitish(image, x - 2, labelTop, 10, 14)) << row;
    EXPECT_FALSE(graphtest::AnyWhitish(image, x - 2, below ? y - 18 : y + 4, 10, 14)) << row;
  }
}

}  // namespace
}  // namespace lyra

namespace lyra {
namespace {

TEST(PhaseCurve, TheRangeFillsTheCurvesRowsAndAWrapDrawsNoLineAcrossThePlot) {
  EXPECT_EQ(PhaseToY(180.0), kCurveTopRow);
  EXPECT_EQ(PhaseToY(-180.0), kCurveBottomRow);
  EXPECT_EQ(PhaseToY(0.0), 121);
  EXPECT_EQ(PhaseToY(400.0), kCurveTopRow);  // beyond the range: along the edge
  EXPECT_EQ(PhaseToY(std::numeric_limits<double>::quiet_NaN()), 121);

  // Falling through -180 in the middle: the angle jumps to +179, and no column in between is
  // filled from top to bottom.
  ColumnTotals phase;
  for (int i = 0; i < kColumnCount; ++i) {
    const double deg = -170.0 - 20.0 * i / kColumnCount;
    phase[static_cast<std::size_t>(i)] = deg < -180.0 ? deg + 360.0 : deg;
  }
  QImage image(kGraphWidth, kGraphHeight, QImage::Format_RGB32);
  image.fill(Qt::black);
  DrawPhaseCurve(image, phase);
  int tallest = 0;
  for (int x = kFirstColumnX; x < 680; ++x) {
    int n = 0;
    for (int y = 0; y < kGraphHeight; ++y) n += graphtest::At(image, x, y) == kPhaseColour;
    tallest = std::max(tallest, n);
  }
  EXPECT_LE(tallest, 3);
}

TEST(PhaseCurve, TheAxisLabelsStayInsideThePlotRightOfTheCurvesAt20kHz) {
  ColumnTotals phase;
  phase.fill(0.0);
  QImage image(kGraphWidth, kGraphHeight, QImage::Format_RGB32);
  image.fill(Qt::black);
  DrawPhaseCurve(image, phase);
  // Everything drawn lies inside the frame (columns 42..713, rows 18..224).
  for (int y = 0; y < kGraphHeight; ++y) {
    for (int x = 0; x < kGraphWidth; ++x) {
      if (graphtest::At(image, x, y) == qRgb(0, 0, 0)) continue;
      ASSERT_TRUE(x >= kFirstColumnX && x <= kLastColumnX && y >= kCurveTopRow &&
                  y <= kCurveBottomRow)
          << "drawn at " << x << ", " << y;
    }
  }
  // Label text on the five tick rows, in the strip right of 20 kHz (x 682) give or take a wider
  // substitute face: each row's cell holds phase-coloured glyph pixels.
  const QRgb cell = qRgb(4, 2, 4);
  for (double deg : {180.0, 90.0, 0.0, -90.0, -180.0}) {
    const int y = std::clamp(PhaseToY(deg), kCurveTopRow + 4, kCurveBottomRow - 4);
    int cells = 0;
    int glyphs = 0;
    for (int x = 684; x <= kLastColumnX; ++x) {
      for (int dy = -3; dy <= 3; ++dy) {
        cells += graphtest::At(image, x, y + dy) == cell;
        // The text is smoothed: its pixels are shades of the phase colour.
        glyphs += qBlue(graphtest::At(image, x, y + dy)) > 100;
      }
    }
    EXPECT_GT(cells, 10) << deg;
    EXPECT_GT(glyphs, 10) << deg;
    EXPECT_NE(graphtest::At(image, 660, y), cell) << deg << ": the label reaches into the plot";
  }
}

}  // namespace
}  // namespace lyra
