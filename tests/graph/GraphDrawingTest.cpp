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
