#include "graph/GraphDrawing.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

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
