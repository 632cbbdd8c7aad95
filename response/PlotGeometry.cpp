#include "response/PlotGeometry.h"

#include <cmath>

namespace lyra {

int TruncToInt(double value) {
  constexpr double kLimit = 1e9;
  if (std::isnan(value)) return 0;
  if (value > kLimit) return static_cast<int>(kLimit);
  if (value < -kLimit) return -static_cast<int>(kLimit);
  return static_cast<int>(value);
}

double ColumnFrequency(int x) {
  return 20.0 * std::pow(10.0, 3.0 * (x - kLeftMargin - 41) / kPlotSpan);
}

int FrequencyToX(double hz) {
  return TruncToInt(std::log10(hz / 20.0) * kPlotSpan / 3.0 + 41 + kLeftMargin);
}

int GainToY(double db) {
  return TruncToInt((15.0 - db) / 45.0 * (kGraphHeight - 38) + 16);
}

double MarkerFrequency(int x) {
  return ColumnFrequency(x);
}

double MarkerGain(int y) {
  const double db = 15.0 - static_cast<double>(y - 16) / (kGraphHeight - 38) * 45.0;
  return TruncToInt(db * 10.0) / 10.0;
}

MarkerPosition BandMarker(int frequencyIndex, int gainIndex) {
  return {FrequencyToX(ValueOf(FrequencyScale, frequencyIndex)),
          GainToY(ValueOf(GainScale, gainIndex))};
}

}  // namespace lyra
