#pragma once
// What a device's status record says (its reply to the status poll), decoded once for every front
// end: the temperature reading and the degrees it stands for, the attenuation, and the BusAddress
// of the device that sent it. The window's status bar and the tool's lines are both made from it.

#include <algorithm>

#include "model/ParameterScales.h"

namespace lyra {

struct StatusRecord {
  int busAddress = 0;
  int temperatureReading = 0;  // the device's raw reading; a higher reading is a cooler device
  int attenuationDb = 0;

  // The temperature's step: 0 is 70 degrees or more, kMaxTemperatureIndex 10 degrees or less.
  int temperatureIndex() const {
    return TemperatureIndex(std::min(temperatureReading, kHighestTemperatureReading));
  }
  int degreesCelsius() const { return TemperatureCelsius(temperatureIndex()); }
  // Whether the degrees are the end of the range, which stands for itself or beyond.
  enum class Bound { Exact, AtLeast, AtMost };
  Bound bound() const {
    const int index = temperatureIndex();
    if (index == 0) return Bound::AtLeast;
    if (index == kMaxTemperatureIndex) return Bound::AtMost;
    return Bound::Exact;
  }

  static constexpr int kHighestTemperatureReading = 5118;
};

}  // namespace lyra
