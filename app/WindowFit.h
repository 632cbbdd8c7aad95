#pragma once
// The window's size on the screen it opens on. The design's size (750 pixels wide, the client
// area 774 pixels high with the menus and the status bar) is kept wherever it fits. On a smaller
// screen (1366 x 768, or 1920 x 1080 at 150 %, which leaves 1280 x 720) the window is fitted to
// the room there is and the same layout scrolls inside it; the menus and the status bar stay in
// view.

#include <QMainWindow>
#include <QScrollArea>
#include <QSize>

namespace lyra {

struct WindowAreas;

// The client area's own size: every area of the layout with a two-pixel margin.
inline constexpr QSize kClientSize{750, 732};
// The part of the outer size that the system's frame takes, until the real frame is known.
inline constexpr int kFrameHeight = 30;

// The scroll area that holds the client area (the window's central widget).
QScrollArea* clientScroll(QMainWindow& window);
// Whatever takes the focus inside the scroll area (by Tab, say) is scrolled wholly into view.
void keepFocusInView(QScrollArea* scroll);
// The window's size without its frame: the client area with the menus and the
// status bar.
QSize designSize(QMainWindow& window);
// The design's size, fixed, with the whole layout in view.
void keepDesignSize(QMainWindow& window);
// Fits the window to room, the part of a screen it may take including its frame: the design's
// size, fixed, where it fits; otherwise as large as room allows (never larger than the design
// plus the scroll bars), and the user may make it smaller.
void fitWindow(QMainWindow& window, QSize room);
// Fits the window to the screen it opens on, centres it in the screen's free area and shows it.
void showFitted(QMainWindow& window);

}  // namespace lyra
