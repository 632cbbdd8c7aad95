#include "app/WindowFit.h"

#include <QApplication>
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

void keepFocusInView(QScrollArea* scroll) {
  // Qt's own scrolling on Tab keeps only a line edit's cursor in view, which can leave the edit's
  // lower edge cut off; the whole control comes into view here, with a small margin.
  QObject::connect(qApp, &QApplication::focusChanged, scroll, [scroll](QWidget*, QWidget* now) {
    QWidget* client = scroll->widget();
    if (!now || !client || !client->isAncestorOf(now)) return;
    constexpr int kMargin = 6;
    const QRect at(now->mapTo(client, QPoint(0, 0)), now->size());
    const QRect shown(-client->pos(), scroll->viewport()->size());
    QScrollBar* bars[] = {scroll->horizontalScrollBar(), scroll->verticalScrollBar()};
    const int starts[] = {at.left(), at.top()};
    const int ends[] = {at.right(), at.bottom()};
    const int shownStarts[] = {shown.left(), shown.top()};
    const int lengths[] = {shown.width(), shown.height()};
    for (int d = 0; d < 2; ++d) {
      if (starts[d] < shownStarts[d]) {
        bars[d]->setValue(starts[d] - kMargin);
      } else if (ends[d] >= shownStarts[d] + lengths[d]) {
        bars[d]->setValue(std::min(starts[d] - kMargin, ends[d] + 1 + kMargin - lengths[d]));
      }
    }
  });
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

void keepDesignSize(QMainWindow& window) {
  window.setFixedSize(designSize(window));
  // The layout fits whole: no scroll bars, not even ones left from a smaller size before (a
  // scroll area keeps bars that its last, smaller view needed).
  if (QScrollArea* scroll = clientScroll(window)) {
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }
}

void fitWindow(QMainWindow& window, QSize room) {
  const QSize design = designSize(window);
  const QSize inside = room - frameOf(window);
  if (inside.width() >= design.width() && inside.height() >= design.height()) {
    keepDesignSize(window);
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
  if (scroll) {
    QScrollArea* area = clientScroll(window);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  }
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
