#pragma once
// Every parameter of a PresetImage as the tool prints it: a name (the one `set` takes), the
// device's own value of the field, the physical value and the window's text.
//
// The Main path and the satellite come first, as the window shows them. Everything else a preset
// holds (the High Way's equaliser, filters and limiter, the Mid and Low Ways, the gain a band's
// type does not use, the BTL flag) is carried: kept and sent back as it came, edited by no
// control, and marked as such.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "preset/PresetImage.h"

namespace lyra::cli {

struct PhysicalValue {
  enum class Kind { Number, Flag, Name, None };
  Kind kind = Kind::None;
  double number = 0.0;
  bool flag = false;
  std::string name;

  friend bool operator==(const PhysicalValue&, const PhysicalValue&) = default;
};

struct Parameter {
  std::string key;      // "eq1.freq", "sat.delay", "mid.eq3.gain"
  int index = 0;        // the field as the device holds it: a scale index, steps or a flag
  PhysicalValue value;  // hertz, decibels, milliseconds, Q; on/off; a type's name
  std::string text;     // "19.7 Hz", "-3.0 dB", "1.050 ms / 0.362 m / 1.187 ft", "Pol(-)"
  bool carried = false;
  // Delays only: the distance sound travels in that time.
  std::optional<double> metres;
  std::optional<double> feet;
};

std::vector<Parameter> ParametersOf(const PresetImage& image);

// The parameter of that key, or nullptr.
const Parameter* FindParameter(const std::vector<Parameter>& parameters, std::string_view key);

// "1.050 ms / 0.362 m / 1.187 ft".
std::string DelayText(int delaySteps);
// "on" / "off" as `set` takes them.
std::string_view OnOff(bool on);

}  // namespace lyra::cli
