#pragma once
// The high-pass and low-pass filters of a Way as the graph draws them: two biquad sections for
// each of the nine filter types, with the device maker's constants kept digit for digit. Some
// look alike and are not: 0.70422535 (12 dB Butterworth) and 0.70422535211 (Linkwitz-Riley) are
// two different dampings, each kept where it belongs.

#include <array>

#include "response/BiquadSection.h"

namespace lyra {

// Filter type codes, the item index of the type lists.
inline constexpr int kFilterTypeCount = 9;  // "12db-Bworth" .. "24db-Bessel"

using FilterSections = std::array<Section, 2>;

// The cut-off a frequency index stands for. The ends of the scale switch the filter off: the
// low-pass at index 243 is drawn for 60000 Hz, the high-pass at index 0 for 1 Hz.
double LowPassCutoff(int frequencyIndex);
double HighPassCutoff(int frequencyIndex);

// The two sections of a filter type at a cut-off. Codes outside 0..8 are drawn as the nearest
// end of the list.
FilterSections LowPassSections(double cutoffHz, int code);
FilterSections HighPassSections(double cutoffHz, int code);

}  // namespace lyra
