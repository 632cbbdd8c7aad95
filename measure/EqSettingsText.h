#pragma once
// Equaliser settings as the measurement tools write them: Room EQ Wizard's "Filter Settings"
// export and Equalizer APO's configuration lines (also AutoEQ's "ParametricEQ.txt").
//
//   Filter  1: ON  PK       Fc   63.0 Hz  Gain  -3.0 dB  Q  4.00     (REW)
//   Filter 2: ON LSC Fc 105 Hz Gain 6.6 dB Q 0.70                     (APO, numbered)
//   Filter: ON PK Fc 63 Hz Gain -3 dB Q 4                             (APO, not numbered)
//   Preamp: -3 dB
//
// The text is read as a whole or refused as a whole: a line that does not parse, a filter type
// the equaliser lacks or a seventh active filter refuses the file with its line number, so nothing
// half-read ever reaches a device. The k-th filter line is band k.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "edits/TypedNumber.h"
#include "preset/PresetImage.h"

namespace lyra {

inline constexpr std::size_t kMaxEqSettingsBytes = 1024 * 1024;

struct GivenFilter {
  int line = 0;        // the file's line number, from 1
  bool active = true;  // ON with a type; OFF and "None" lines are not
  std::uint8_t type = kPeakingBand;
  std::optional<TypedNumber> frequency;  // Hz
  std::optional<TypedNumber> gain;       // dB
  std::optional<TypedNumber> q;
  std::string text;  // the line as given, trimmed
};

struct EqSettings {
  std::vector<GivenFilter> filters;   // at most six, in file order
  std::optional<TypedNumber> preamp;  // dB
  int preampLine = 0;
};

// The file's bytes. The error names the line where there is one: "line 9: ...".
std::variant<EqSettings, std::string> ParseEqSettings(std::string_view bytes);

// The Main path's six bands as lines both tools read: "Filter 1: ON PK Fc 63 Hz Gain -3.0 dB Q 4".
// A band that is bypassed, or flat at 0 dB, is written OFF with its type, Fc, Gain and Q (an
// import makes an OFF band flat, which is what the device plays for a bypassed band).
std::string WriteEqSettings(const PresetImage& image, const std::array<bool, kBandsPerWay>& bypass);

}  // namespace lyra
