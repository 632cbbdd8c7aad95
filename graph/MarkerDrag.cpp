#include "graph/MarkerDrag.h"

#include <algorithm>
#include <cstdlib>

#include "model/ParameterScales.h"

namespace lyra {

namespace {
constexpr int kHitReach = 8;
constexpr int kDragLeft = 97;     // 19.07 Hz, frequency index 0
constexpr int kDragRight = 689;   // 21736 Hz, frequency index 243
constexpr int kDragTop = 32;      // +11.96 dB, gain index 180
constexpr int kDragBottom = 198;  // -24.13 dB, gain index 0
}  // namespace

std::array<MarkerPosition, 24> InitialMarkers() {
  constexpr std::array<int, 6> kRowX = {101, 177, 236, 294, 371, 429};
  std::array<MarkerPosition, 24> markers{};
  for (std::size_t slot = 0; slot < markers.size(); ++slot) {
    markers[slot] = {kRowX[slot % kRowX.size()], GainToY(0.0)};
  }
  return markers;
}

int MarkerRowAt(std::span<const MarkerPosition, 6> markers, int x, int y) {
  for (std::size_t row = 0; row < markers.size(); ++row) {
    if (std::abs(x - markers[row].x) < kHitReach && std::abs(y - markers[row].y) < kHitReach) {
      return static_cast<int>(row);
    }
  }
  return -1;
}

MarkerPosition DraggedMarker(MarkerPosition marker, int x, int y) {
  if (x >= kDragLeft && x <= kDragRight) marker.x = x;
  if (y >= kDragTop && y <= kDragBottom) marker.y = y;
  return marker;
}

int DraggedFrequencyIndex(int markerX) {
  return std::min(NearestIndex(FrequencyScale, ColumnFrequency(markerX)), kMaxFrequencyIndex);
}

int DraggedGainIndex(int markerY) {
  const double db = 15.0 - static_cast<double>(markerY - 18) / (kGraphHeight - 42) * 45.0;
  return std::min(NearestIndex(GainScale, db), kMaxGainIndex);
}

}  // namespace lyra
