#pragma once
// The graph's background: a dark plot with its frame, the decibel and frequency grid lines and
// their labels, 720 x 249 pixels. It is built once when the window starts and copied under every
// redraw, so a dragged marker never pays for the grid or its text.

#include <QImage>

namespace lyra {

// The finished grid, in Format_RGB32. The horizontal lines are +10 dB down to -25 dB in 5 dB steps
// (the frame is +15 dB at row 17 and -30 dB at row 225); the vertical lines 20, 30 .. 100,
// 200 .. 1000, 2000 .. 10000 Hz sit up to one pixel left of the curve column of the same
// frequency, as the graph has always shown them.
QImage BuildGrid();

}  // namespace lyra
