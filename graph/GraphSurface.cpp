#include "graph/GraphSurface.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace lyra {

QPoint ImagePixelAt(QPointF position, QSize widgetSize, QSize imageSize) {
  const auto axis = [](double at, int widgetLength, int imageLength) {
    if (widgetLength <= 0) return 0;
    // floor, not truncation: a pointer just left of the widget is pixel -1, not 0.
    return static_cast<int>(std::floor(at * imageLength / widgetLength));
  };
  return {axis(position.x(), widgetSize.width(), imageSize.width()),
          axis(position.y(), widgetSize.height(), imageSize.height())};
}

GraphSurface::GraphSurface(QWidget* parent, const QImage& image) : QWidget(parent), image_(image) {
  setFixedSize(image.size());
  // The image covers the whole widget; nothing underneath needs erasing first. Qt paints into a
  // back buffer, so a redraw per pointer move does not flicker.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphSurface::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  // Nearest-pixel scaling keeps one-pixel lines sharp on a scaled screen.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(rect(), image_);
}

QPoint GraphSurface::pixelOf(const QMouseEvent* event) const {
  return ImagePixelAt(event->position(), size(), image_.size());
}

void GraphSurface::mousePressEvent(QMouseEvent* event) {
  if (pressed) pressed(pixelOf(event));
}

void GraphSurface::mouseMoveEvent(QMouseEvent* event) {
  if (moved) moved(pixelOf(event));
}

void GraphSurface::mouseReleaseEvent(QMouseEvent* /*event*/) {
  if (released) released();
}

}  // namespace lyra
