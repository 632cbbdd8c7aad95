#pragma once
// A one-pixel pen that writes straight into the graph's 32-bit image.
//
// The graph's positions are pixel positions, so its lines are set pixel by pixel rather than left
// to an antialiasing or cap-style choice of the painter. A line leaves out its end point, which
// belongs to the line that continues from it: that is what lets the frame keep its corners and the
// grid lines stop one pixel short of the frame. Pixels outside the image are skipped.

#include <QImage>

namespace lyra {

class PixelPen {
 public:
  explicit PixelPen(QImage& image);  // Format_RGB32 or ARGB32

  void setColour(QRgb colour) { colour_ = colour; }
  void moveTo(int x, int y);
  // From the pen position to (x, y), the end point excluded; the pen ends there.
  void lineTo(int x, int y);

 private:
  void plot(int x, int y);

  QImage& image_;
  QRgb colour_ = 0;
  int x_ = 0;
  int y_ = 0;
};

}  // namespace lyra
