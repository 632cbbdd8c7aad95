#pragma once
// Dragging a band marker: which marker a press takes, where the marker may go, and the band's
// frequency and gain indices that its position stands for. Plain numbers, no toolkit.

#include <array>
#include <span>

#include "response/PlotGeometry.h"

namespace lyra {

// Before any band is drawn every Way's markers sit on the 20, 50, 100, 200, 500 and 1000 Hz grid
// lines at 0 dB.
std::array<MarkerPosition, 24> InitialMarkers();

// The first of rows 0..5 whose marker lies less than 8 pixels from (x, y) on both axes, so
// overlapping markers give the lower row; -1 when the press hits none.
int MarkerRowAt(std::span<const MarkerPosition, 6> markers, int x, int y);

// The marker after a pointer move to (x, y). Each axis follows the pointer only inside its range,
// columns 97..689 and rows 32..198, which between them reach every frequency and every gain;
// outside, that axis keeps its last value.
MarkerPosition DraggedMarker(MarkerPosition marker, int x, int y);

// The band fields a dragged marker stands for, snapped to the nearest scale entry.
int DraggedFrequencyIndex(int markerX);
// Rows map to gains on a slightly different scale than GainToY: row 86 is +0.217 dB and snaps
// to +0.2 dB, which then draws at row 85. Kept as the graph has always mapped a drag, so a marker
// dropped on a row gives the gain index users of the program know.
int DraggedGainIndex(int markerY);

}  // namespace lyra
