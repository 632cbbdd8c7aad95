#pragma once
// Where things sit on the 720 x 249 response graph: the columns that curves are computed for,
// and the mappings between hertz, decibels and pixels that curves, markers and dragging share.

#include "model/ParameterScales.h"

namespace lyra {

inline constexpr int kGraphWidth = 720;
inline constexpr int kGraphHeight = 249;
inline constexpr int kLeftMargin = (kGraphWidth - 46) * 9 / 100;   // 60
inline constexpr int kRightMargin = (kGraphWidth - 46) * 5 / 100;  // 33
// Pixels for the three decades from 20 Hz to 20 kHz.
inline constexpr int kPlotSpan = kGraphWidth - kLeftMargin - kRightMargin - 46;  // 581
// Curves hold one value per column x = 42 .. 713; column index i = x - 42.
inline constexpr int kFirstColumnX = 42;
inline constexpr int kLastColumnX = kGraphWidth - 7;
inline constexpr int kColumnCount = kLastColumnX - kFirstColumnX + 1;  // 672

// Truncation toward zero as every pixel conversion does it. Values beyond any pixel (a curve
// that falls to -inf at a zero of its response) saturate instead of overflowing; NaN gives 0.
int TruncToInt(double value);

// 20 * 10^(3 (x - 101) / 581) Hz: 20 Hz at x = 101, 20 kHz at x = 682.
double ColumnFrequency(int x);
// The column a frequency falls in.
int FrequencyToX(double hz);
// The row of a gain: +15 dB at y = 16, 0 dB at 86, -30 dB at 227.
int GainToY(double db);
// What a band marker at column x or row y stands for; the gain in whole tenths of a decibel.
double MarkerFrequency(int x);
double MarkerGain(int y);

struct MarkerPosition {
  int x = 0;
  int y = 0;
  friend bool operator==(const MarkerPosition&, const MarkerPosition&) = default;
};

// Where a band's marker sits for its frequency index and its effective gain index: the band's
// curve is computed from this position, so frequency and gain are quantised to whole pixels.
MarkerPosition BandMarker(int frequencyIndex, int gainIndex);

}  // namespace lyra
