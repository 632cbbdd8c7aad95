#pragma once
// Image5: the widget that shows the graph's image and reports the pointer in image pixels.
//
// Every position of the graph is a pixel of its 720 x 249 image. On a high-DPI screen the widget
// keeps its 720 x 249 logical size and the image is scaled up for display, so the pointer's
// logical position is mapped back to the image pixel under it and a marker is hit and dragged
// exactly as on a plain screen.

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QWidget>
#include <functional>

namespace lyra {

// The image pixel under a pointer position of a widget showing the whole image.
QPoint ImagePixelAt(QPointF position, QSize widgetSize, QSize imageSize);

// A QWidget only because painting and pointer events reach nothing else; it draws the image it
// is given and hands pointer events on.
class GraphSurface : public QWidget {
 public:
  GraphSurface(QWidget* parent, const QImage& image);

  std::function<void(QPoint)> pressed;  // any button
  std::function<void(QPoint)> moved;    // while a button is held
  std::function<void()> released;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPoint pixelOf(const QMouseEvent* event) const;

  const QImage& image_;
};

}  // namespace lyra
