#include "app/WindowFit.h"

#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <algorithm>

namespace lyra {

namespace {

QSize frameOf(const QMainWindow& window) {
  if (window.isVisible()) {
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    if (frame.height() > 0) return frame;
  }
  return {0, kFrameHeight};
}

}  // namespace

QScrollArea* clientScroll(QMainWindow& window) {
  return qobject_cast<QScrollArea*>(window.centralWidget());
}

QSize designSize(QMainWindow& window) {
  // Taken once while the menus are still shown: the start hides them for a while.
  const QVariant kept = window.property("lyraDesignSize");
  if (kept.isValid()) return kept.toSize();
  const int menus = window.menuBar()->sizeHint().height();
  const int status = window.statusBar()->sizeHint().height();
  const QSize size(kClientSize.width(), menus + kClientSize.height() + status);
  window.setProperty("lyraDesignSize", size);
  return size;
}

void fitWindow(QMainWindow& window, QSize room) {
  const QSize design = designSize(window);
  const QSize inside = room - frameOf(window);
  if (inside.width() >= design.width() && inside.height() >= design.height()) {
    window.setFixedSize(design);
    return;
  }
  // Where one direction scrolls, its scroll bar takes room from the other.
  const QScrollArea* scroll = clientScroll(window);
  const int bar = scroll ? scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
  const QSize largest(design.width() + (inside.height() < design.height() ? bar : 0),
                      design.height() + (inside.width() < design.width() ? bar : 0));
  const QSize size = largest.boundedTo(inside);
  window.setMinimumSize(std::min(size.width(), 320), std::min(size.height(), 240));
  window.setMaximumSize(largest);
  window.resize(size);
}

void showFitted(QMainWindow& window) {
  QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (!screen) {
    window.show();
    return;
  }
  const QRect free = screen->availableGeometry();
  fitWindow(window, free.size());
  const QSize outer = window.size() + frameOf(window);
  window.move(free.left() + std::max(0, (free.width() - outer.width()) / 2),
              free.top() + std::max(0, (free.height() - outer.height()) / 2));
  window.show();
}

}  // namespace lyra
