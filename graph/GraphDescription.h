#pragma once
// What the response graph shows, in words, for a screen reader: each band's frequency, gain and
// type, and the two filters.

#include <functional>
#include <string>

#include "preset/PresetImage.h"

namespace lyra {

// "Band 1: 62.5 Hz, 6.0 dB, LS. Band 2: ... Band 6: 1000 Hz, 0.0 dB, PEQ, bypassed.
// High-pass 35.1 Hz, low-pass 11300 Hz." bypassed(row) tells a bypassed band; unset, none is.
std::string DescribeWay(const PresetImage& image, Way way, const std::function<bool(int)>& bypassed);

}  // namespace lyra
