#pragma once
// `set PARAM=VALUE...`: the parameters of the Main path and the satellite, in the window's units,
// applied to a PresetImage through the window's own typed-entry rules (edits/TypedEdits.h and
// edits/TypedNumber.h): a level or delay is clamped and truncated to its step, a frequency, Q or
// gain clamped to its scale and snapped to the nearest entry, exactly as a value typed into the
// window's edit and accepted with Enter.
//
// A PresetEdit changes one device's image and remembers which rows it touched; after all
// settings, rowsToSend() are the write frames the device needs, each built from the final image
// into its own send slot, as the window's edits would have queued them.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "edits/TypedNumber.h"
#include "measure/EqImport.h"
#include "preset/PresetImage.h"
#include "protocol/CommandFrame.h"

namespace lyra::cli {

enum class SetParameter {
  Level,     // system level, dB
  Mute,      // system Mute
  Polarity,  // Main polarity
  Delay,     // system delay, ms
  SatLevel,  // satellite (High) level, dB
  SatMute,
  SatPolarity,
  SatDelay,  // ms
  Hpf,       // Hz
  Lpf,
  HpfType,  // "24db-LR" etc.
  LpfType,
  EqFrequency,  // eqN.freq, Hz
  EqQ,
  EqGain,  // dB
  EqType,  // PEQ, LS, HS
  EqBypass,
  BassEnhancer,
};

struct Setting {
  SetParameter parameter = SetParameter::Level;
  int row = 0;                        // eqN.*: band row N - 1
  std::string name;                   // as given: "eq2.gain"
  std::string valueText;              // as given: "-3.5"
  std::optional<TypedNumber> number;  // levels, delays, frequencies, Q, gains
  int choice = 0;                     // on = 1 / off = 0; polarity "-" = 1; a type's list index
};

// One PARAM=VALUE argument. The error names the parameter and says what it takes.
std::variant<Setting, std::string> ParseSetting(std::string_view argument);

// The names `set` knows, for help and error texts.
std::string SetParameterNames();

// The six Bypass boxes of the equaliser: not part of the preset, unchecked whenever a preset is
// loaded. A bypassed band is sent flat while the image keeps its gain.
using BandBypass = std::array<bool, kBandsPerWay>;

// A row the device needs after the edits, in the send slot the window would use for it.
struct SendRow {
  enum class Kind { Channel, Filters, Band };
  Kind kind = Kind::Channel;
  Way way = Way::Main;
  int row = 0;  // Band: the Main band's row 0..5

  int sendSlot() const;
  friend bool operator==(const SendRow&, const SendRow&) = default;
};

struct SetResult {
  std::string parameter;        // "eq1.freq"
  std::string stored;           // the window's text of what the image now holds: "19.7 Hz"
  bool adjusted = false;        // the typed value was clamped or snapped to what `stored` says
  bool changedNothing = false;  // the value was already so (a type or switch): nothing to send
  // What else the setting did, beside storing the value: "also unmutes the system".
  std::optional<std::string> note;
  // The setting could not be carried out; the image is unchanged and `problem` says why.
  std::optional<std::string> problem;
};

class PresetEdit {
 public:
  PresetEdit(PresetImage& image, BandBypass& bypass) : image_(image), bypass_(bypass) {}

  SetResult apply(const Setting& setting);
  // Equaliser settings read from a file: the six Main bands (unbypassed, so they sound as
  // stored) and, with a Preamp, the system level; every band's row is sent.
  void applyEqImport(const EqImport& import);

  // Sorted by send slot, each row once.
  const std::vector<SendRow>& rowsToSend() const { return rows_; }
  // The row's write frame from the image as it is now.
  Frame frameFor(const SendRow& row, std::uint8_t busAddress) const;

 private:
  void touch(SendRow row);

  PresetImage& image_;
  BandBypass& bypass_;
  std::vector<SendRow> rows_;
};

}  // namespace lyra::cli
