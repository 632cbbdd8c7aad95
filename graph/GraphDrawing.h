#pragma once
// What is drawn over the grid: a Way's total response in red and its six band markers.

#include <QImage>
#include <array>
#include <span>

#include "response/PlotGeometry.h"

namespace lyra {

// Band colours of rows 0..5: yellow, red, cyan, green, magenta, blue. The EQ panel's row
// captions wear the same colours.
inline constexpr std::array<QRgb, 6> kBandColours = {
    qRgb(255, 252, 0), qRgb(255, 0, 0),   qRgb(0, 252, 255),
    qRgb(0, 252, 0),   qRgb(255, 0, 255), qRgb(0, 0, 255),
};
inline constexpr QRgb kCurveColour = qRgb(255, 0, 0);

// The rows the curve may use: one inside the frame at the top (+15 dB at row 17) and bottom.
inline constexpr int kCurveTopRow = 18;
inline constexpr int kCurveBottomRow = kGraphHeight - 25;  // 224

using ColumnTotals = std::array<double, kColumnCount>;

// The total in decibels of every column (index i is column x = 42 + i) as a red line from column
// to column. Where the total leaves the plot the line runs along the top or bottom row until it
// comes back, so a curve beyond the range still shows where it is and never crosses the frame.
void DrawTotalCurve(QImage& image, const ColumnTotals& totalsDb);

// The phase curve (shown on request) is light blue: apart from the red magnitude for every kind
// of colour vision, and from the band colours, which only mark squares.
inline constexpr QRgb kPhaseColour = qRgb(128, 192, 255);

// The row of a phase: +180 degrees on the curve's top row, -180 on its bottom row, 0 midway.
int PhaseToY(double degrees);

// The phase of every column (-180 .. +180 degrees) as a line in kPhaseColour, broken where it
// wraps from one end of the range to the other, and its axis at the right: +180, +90, 0, -90 and
// -180 degrees on their rows, over the strip beyond 20 kHz, on dark cells as the grid's labels.
void DrawPhaseCurve(QImage& image, const ColumnTotals& phaseDeg);

// Rows 0..5 in order: an 8 x 8 square in the row's colour centred on the marker, then its number
// in white, under the square in the lower part of the plot and over it in the upper part.
void DrawMarkers(QImage& image, std::span<const MarkerPosition, 6> markers);

}  // namespace lyra
