// The grid as pixels: background, frame, grid lines and label cells where the graph has them.

#include <QFont>
#include <QFontMetrics>
#include <algorithm>
#include <set>

#include "graph/GridBitmap.h"
#include "tests/graph/GraphTestSupport.h"

namespace lyra {
namespace {

using graphtest::At;
using graphtest::Grey;

const std::set<int> kRows = {40, 63, 86, 109, 133, 156, 179, 202};
const std::set<int> kColumns = {101, 135, 159, 177, 193, 206, 217, 227, 236, 294,
                                328, 352, 371, 386, 399, 410, 420, 429, 487, 521,
                                545, 564, 579, 592, 604, 613, 622, 681};

TEST(GridBitmap, InsideTheFrameEveryPixelIsBackgroundOrAGridLine) {
  const QImage grid = BuildGrid();
  ASSERT_EQ(grid.size(), QSize(720, 249));
  // A row and a column that no grid line takes, across the whole plot (101 is the 20 Hz line and
  // 681 the plot's right end).
  for (int x = 42; x <= 713; ++x) {
    EXPECT_EQ(At(grid, x, 150), kColumns.contains(x) ? Grey(64) : Grey(20)) << x;
  }
  for (int y = 18; y <= 224; ++y) {
    EXPECT_EQ(At(grid, 300, y), kRows.contains(y) ? Grey(64) : Grey(20)) << y;
  }
}

TEST(GridBitmap, GridLinesStopAtTheFrameWhichKeepsItsCorners) {
  const QImage grid = BuildGrid();
  for (int y : kRows) {
    EXPECT_EQ(At(grid, 42, y), Grey(64)) << y;
    EXPECT_EQ(At(grid, 713, y), Grey(64)) << y;
    EXPECT_EQ(At(grid, 41, y), Grey(128)) << y;
    EXPECT_EQ(At(grid, 714, y), Grey(128)) << y;
  }
  for (int x : kColumns) {
    EXPECT_EQ(At(grid, x, 18), Grey(64)) << x;
    EXPECT_EQ(At(grid, x, 224), Grey(64)) << x;
    EXPECT_EQ(At(grid, x, 17), Grey(128)) << x;
    EXPECT_EQ(At(grid, x, 225), Grey(128)) << x;
  }
  for (auto [x, y] : {std::pair{41, 17}, {714, 17}, {714, 225}, {41, 225}}) {
    EXPECT_EQ(At(grid, x, y), Grey(128)) << x << "," << y;
  }
  // Outside the frame only labels break the background.
  EXPECT_EQ(At(grid, 0, 0), Grey(20));
  EXPECT_EQ(At(grid, 715, 100), Grey(20));
  EXPECT_EQ(At(grid, 719, 248), Grey(20));
  EXPECT_EQ(At(grid, 400, 16), Grey(20));
}

TEST(GridBitmap, LabelsSitInTheirCellsAtTheirPositions) {
  struct Label {
    const char* text;
    int x, y;
  };
  // The ends of both scales and a label from the middle of each.
  const Label labels[] = {
      {"+15dB", 4, 10},  {"0dB", 12, 79},    {"-30dB", 6, 218},
      {"20Hz", 90, 226}, {"1KHz", 417, 226}, {"20KHz", 666, 226},
  };
  const QImage grid = BuildGrid();
  QFont font("Arial");
  font.setPixelSize(11);
  const QFontMetrics metrics(font);
  for (const Label& l : labels) {
    const int width = metrics.horizontalAdvance(QString::fromLatin1(l.text));
    // The cell's top corners are background colour, the pixel left of it is not the label's,
    // and the text itself is white.
    EXPECT_EQ(At(grid, l.x, l.y), qRgb(4, 2, 4)) << l.text;
    // (A face wider than Arial, where Arial is missing, reaches the frame, which stays whole.)
    const int right = l.y < 226 ? std::min(l.x + width - 1, 40) : l.x + width - 1;
    EXPECT_EQ(At(grid, right, l.y), qRgb(4, 2, 4)) << l.text;
    EXPECT_NE(At(grid, l.x - 1, l.y), qRgb(4, 2, 4)) << l.text;
    EXPECT_TRUE(graphtest::AnyWhitish(grid, l.x, l.y, width, metrics.height())) << l.text;
  }
}

}  // namespace
}  // namespace lyra
