#include "graph/PixelPen.h"

#include <cstdlib>

namespace lyra {

PixelPen::PixelPen(QImage& image) : image_(image) {}

void PixelPen::moveTo(int x, int y) {
  x_ = x;
  y_ = y;
}

void PixelPen::lineTo(int x, int y) {
  // Bresenham: every step moves one pixel along the longer axis.
  const int dx = std::abs(x - x_);
  const int dy = -std::abs(y - y_);
  const int sx = x_ < x ? 1 : -1;
  const int sy = y_ < y ? 1 : -1;
  int err = dx + dy;
  int px = x_;
  int py = y_;
  while (px != x || py != y) {
    plot(px, py);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      px += sx;
    }
    if (e2 <= dx) {
      err += dx;
      py += sy;
    }
  }
  moveTo(x, y);
}

void PixelPen::plot(int x, int y) {
  if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
  reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = colour_;
}

}  // namespace lyra
