#include "graph/GridBitmap.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <array>
#include <cmath>

#include "graph/PixelPen.h"
#include "response/PlotGeometry.h"

namespace lyra {

namespace {

constexpr int W = kGraphWidth;
constexpr int H = kGraphHeight;

QRgb Grey(int level) {
  return qRgb(level, level, level);
}

struct Label {
  const char* text;
  int x;
  int y;
};

// Hand-placed for the 720 x 249 graph: the decibel labels centred on their rows at the left, the
// frequency labels under their grid lines.
constexpr std::array<Label, 20> kLabels = {{
    {"+15dB", 4, 10},    {"+10dB", 4, 33},    {"+5dB", 8, 56},     {"0dB", 12, 79},
    {"-5dB", 9, 102},    {"-10dB", 6, 126},   {"-15dB", 6, 149},   {"-20dB", 6, 172},
    {"-25dB", 6, 195},   {"-30dB", 6, 218},   {"20Hz", 90, 226},   {"50Hz", 166, 226},
    {"100Hz", 222, 226}, {"200Hz", 280, 226}, {"500Hz", 357, 226}, {"1KHz", 417, 226},
    {"2KHz", 475, 226},  {"5KHz", 552, 226},  {"10KHz", 607, 226}, {"20KHz", 666, 226},
}};

void Line(PixelPen& pen, int x0, int y0, int x1, int y1) {
  pen.moveTo(x0, y0);
  pen.lineTo(x1, y1);
}

std::array<int, 8> GridLineRows() {
  std::array<int, 8> rows{};
  for (int j = 1; j <= 8; ++j) {
    rows[static_cast<std::size_t>(j - 1)] = TruncToInt((H - 40) / 9.0 * j) + 17;
  }
  return rows;
}

std::array<int, 27> GridLineColumns() {
  // The grid divides the three decades over one pixel less than the curves do (47, not 46).
  constexpr double kSpan = W - kLeftMargin - kRightMargin - 47;
  std::array<int, 27> columns{};
  std::size_t n = 0;
  for (double decade : {10.0, 100.0, 1000.0}) {
    for (int step = 2; step <= 10; ++step) {
      const double hz = decade * step;
      columns[n++] = TruncToInt(std::log10(hz / 20.0) * kSpan / 3.0) + kLeftMargin + 41;
    }
  }
  return columns;
}

}  // namespace

QImage BuildGrid() {
  QImage grid(W, H, QImage::Format_RGB32);
  grid.fill(Grey(20));

  // Text is the one thing the painter draws: white on a near-black cell as wide as the text.
  // The labels go in before the lines: with Arial they stay clear of the frame, but a system
  // without Arial substitutes a wider face, whose cells must not cut into the frame.
  {
    QPainter painter(&grid);
    QFont font("Arial");
    font.setPixelSize(11);  // 8 points on a 96 dpi screen
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QFontMetrics metrics(font);
    for (const Label& label : kLabels) {
      const QString text = QString::fromLatin1(label.text);
      painter.fillRect(QRect(label.x, label.y, metrics.horizontalAdvance(text), metrics.height()),
                       QColor(4, 2, 4));
      painter.drawText(QPoint(label.x, label.y + metrics.ascent()), text);
    }
  }

  PixelPen pen(grid);
  pen.setColour(Grey(128));
  pen.moveTo(41, 17);
  pen.lineTo(W - 6, 17);
  pen.lineTo(W - 6, H - 24);
  pen.lineTo(41, H - 24);
  pen.lineTo(41, 17);

  pen.setColour(Grey(64));
  for (int y : GridLineRows()) Line(pen, 42, y, W - 6, y);
  for (int x : GridLineColumns()) Line(pen, x, 18, x, H - 24);
  Line(pen, kLeftMargin + 41, 18, kLeftMargin + 41, H - 24);
  Line(pen, W - kRightMargin - 6, 18, W - kRightMargin - 6, H - 24);

  return grid;
}

}  // namespace lyra
