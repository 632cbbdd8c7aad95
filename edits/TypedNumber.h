#pragma once
// Numbers typed into the editing fields.
//
// A typed number is an optional "-", digits and at most one ".", with at least one digit:
// "12", "-3.5", ".5", "5.". Nothing may stand before or after it, so a text that still carries
// its unit ("500 Hz", "0.000 ms") is not a number. "." is the decimal point whatever the desktop's
// language says, because the program's own texts are written with "." and read back here.
//
// The level and delay conversions truncate a typed value to a step. They work on the typed
// decimal itself, counted in billionths, not on a binary double: -19.8 dB is then exactly 2 steps
// above -20 dB and 0.567 ms exactly 27 delay steps, where a double would fall a hair short and
// truncate to the step below.

#include <cstdint>
#include <optional>
#include <string_view>

namespace lyra {

struct TypedNumber {
  double value = 0.0;  // for the table lookups (frequency, Q, gain)
  // The value in billionths, rounded toward minus infinity; values beyond +-1e9 saturate at
  // +-kSaturatedNanos, far outside every field's range, so clamping still works on them.
  std::int64_t nanos = 0;

  static constexpr std::int64_t kNanosPerUnit = 1'000'000'000;
  static constexpr std::int64_t kSaturatedNanos = 1'000'000'000'000'000'000;
};

std::optional<TypedNumber> ParseTypedNumber(std::string_view text);
// A number or the beginning of one ("", "-", ".", "-."): what a user may have typed so far.
// Anything else (a unit, "Mute") is a text the program wrote, which a typed key replaces.
bool IsNumberSoFar(std::string_view text);

// Typed system level (dB) -> TrackBar1 position 0..300: clamped to -60..0 dB, then
// L = trunc((dB + 60) * 5) + 1 and the position is 301 - L. Never 301: typing never mutes.
int SystemSliderPositionFromTyped(const TypedNumber& db);
// Typed satellite level (dB) -> trckbr1 position: clamped to -20..+5 dB, trunc((dB + 20) * 10).
int SatelliteLevelFromTyped(const TypedNumber& db);
// Typed milliseconds -> delay steps of 0.021 ms: clamped to 0..8.547 ms, then truncated.
int DelayStepsFromTyped(const TypedNumber& ms);

// The key filter of every typed field: digits, "." and "," pass ("," as "."), and "-" where
// allowMinus; any other printable character is refused (nullopt).
std::optional<char> FilterTypedCharacter(char c, bool allowMinus);

}  // namespace lyra
