#include "graph/GraphDrawing.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>

#include "graph/PixelPen.h"

namespace lyra {

void DrawTotalCurve(QImage& image, const ColumnTotals& totalsDb) {
  PixelPen pen(image);
  pen.setColour(kCurveColour);
  for (int i = 0; i < kColumnCount; ++i) {
    const int x = kFirstColumnX + i;
    // GainToY saturates, so even a total of -inf lands on the bottom row.
    const int y =
        std::clamp(GainToY(totalsDb[static_cast<std::size_t>(i)]), kCurveTopRow, kCurveBottomRow);
    if (i == 0) {
      pen.moveTo(x, y);
    } else {
      pen.lineTo(x, y);
    }
  }
}

int PhaseToY(double degrees) {
  const double clamped = std::clamp(std::isnan(degrees) ? 0.0 : degrees, -180.0, 180.0);
  const double middle = (kCurveTopRow + kCurveBottomRow) / 2.0;  // 121
  const double rowsPerDegree = (kCurveBottomRow - kCurveTopRow) / 360.0;
  return static_cast<int>(std::lround(middle - clamped * rowsPerDegree));
}

void DrawPhaseCurve(QImage& image, const ColumnTotals& phaseDeg) {
  PixelPen pen(image);
  pen.setColour(kPhaseColour);
  for (int i = 0; i < kColumnCount; ++i) {
    const double deg = phaseDeg[static_cast<std::size_t>(i)];
    const int x = kFirstColumnX + i;
    const int y = PhaseToY(deg);
    // A step of more than half a turn is the angle wrapping round, not the response: no line
    // joins the two ends of the range.
    if (i == 0 || std::abs(deg - phaseDeg[static_cast<std::size_t>(i - 1)]) > 180.0) {
      pen.moveTo(x, y);
    } else {
      pen.lineTo(x, y);
    }
  }

  struct Tick {
    const char* text;
    double degrees;
  };
  static constexpr std::array<Tick, 5> kTicks = {{{"+180\u00B0", 180},
                                                  {"+90\u00B0", 90},
                                                  {"0\u00B0", 0},
                                                  {"-90\u00B0", -90},
                                                  {"-180\u00B0", -180}}};
  QPainter painter(&image);
  QFont font("Arial");
  font.setPixelSize(11);  // as the grid's labels
  painter.setFont(font);
  const QFontMetrics metrics(font);
  constexpr int kRightX = kLastColumnX;  // 713: the column just inside the frame
  for (const Tick& tick : kTicks) {
    const QString text = QString::fromUtf8(tick.text);
    const int width = metrics.horizontalAdvance(text);
    const int height = metrics.height();
    // Centred on its row; the ends' labels stay inside the curve's rows.
    const int top =
        std::clamp(PhaseToY(tick.degrees) - height / 2, kCurveTopRow, kCurveBottomRow + 1 - height);
    const QRect cell(kRightX + 1 - width, top, width, height);
    painter.fillRect(cell, QColor(4, 2, 4));
    painter.setPen(QColor(kPhaseColour));
    painter.drawText(QPoint(cell.left(), top + metrics.ascent()), text);
  }
}

void DrawMarkers(QImage& image, std::span<const MarkerPosition, 6> markers) {
  QPainter painter(&image);
  QFont font = painter.font();
  font.setPixelSize(11);
  painter.setFont(font);
  const int ascent = QFontMetrics(font).ascent();
  for (std::size_t row = 0; row < markers.size(); ++row) {
    const MarkerPosition m = markers[row];
    painter.fillRect(QRect(m.x - 4, m.y - 4, 8, 8), QColor(kBandColours[row]));
    // Below the square low in the plot, above it high up, so the number stays inside the frame.
    const int top = m.y > 116 ? m.y + 4 : m.y - 18;
    painter.setPen(Qt::white);
    painter.drawText(QPoint(m.x - 2, top + ascent), QString::number(row + 1));
  }
}

}  // namespace lyra
