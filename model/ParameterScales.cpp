#include "model/ParameterScales.h"

#include <algorithm>
#include <cmath>

namespace lyra {

double ValueOf(std::span<const double> scale, int index) {
  if (scale.empty()) return 0.0;
  const int last = static_cast<int>(scale.size()) - 1;
  return scale[static_cast<std::size_t>(std::clamp(index, 0, last))];
}

int NearestIndex(std::span<const double> scale, double v) {
  if (scale.size() < 2) return 0;
  // The first entry i >= 1 with v <= t[i]; then the nearer of t[i-1] and t[i], the lower on a tie.
  // Comparisons with NaN are false, so NaN stops at i = 1 and takes the lower entry.
  const auto it = std::find_if(scale.begin() + 1, scale.end(), [v](double t) { return !(v > t); });
  if (it == scale.end()) return static_cast<int>(scale.size()) - 1;
  const int i = static_cast<int>(it - scale.begin());
  const double below = scale[static_cast<std::size_t>(i - 1)];
  const double above = scale[static_cast<std::size_t>(i)];
  return (v - below > above - v) ? i : i - 1;
}

int TemperatureIndex(double reading) {
  return NearestIndex(TemperatureScale, std::min(reading, TemperatureScale.back()));
}

double DelayMs(int delaySteps) {
  return delaySteps * kDelayStepMs;
}

double DelayMetres(int delaySteps) {
  return DelayMs(delaySteps) / kMsPerMetre;
}

double DelayFeet(int delaySteps) {
  return DelayMs(delaySteps) * kFeetPerMetre / kMsPerMetre;
}

int DelayStepsFromMs(double ms) {
  if (!(ms > 0.0)) return 0;  // also NaN
  const double steps = ms / kDelayStepMs;
  if (steps >= kMaxDelaySteps) return kMaxDelaySteps;
  // Typed values have a few decimals; a quotient within a billionth of a whole number is that
  // whole number, so that 0.567 ms is 27 steps and not 26.
  return static_cast<int>(steps + 1e-9);
}

}  // namespace lyra
