#pragma once
// What an accepted edit stores: the rules of the editing pages that do not depend on a widget,
// shared by the window's handlers and the command-line tool's `set`.
//
// A typed frequency, Q or gain is clamped to its scale's ends and snapped to the nearest entry
// (ties to the lower one); a typed level or delay is truncated to its step (TypedNumber.h).

#include <cstdint>
#include <span>
#include <string>

#include "edits/TypedNumber.h"
#include "preset/PresetImage.h"

namespace lyra {

enum class BandField { Frequency, Q, Gain };

// The scale a band field's index points into.
std::span<const double> bandFieldScale(BandField field);
// The index a band field holds; the gain is the one the band's type uses.
int bandFieldIndex(const EqBand& band, BandField field);
// Stores an index in a band field; the gain goes to the pair the band's type uses.
void setBandFieldIndex(EqBand& band, BandField field, int index);
// The field's value as the edits show it: "19.7 Hz", "1", "-3.0 dB".
std::string bandFieldText(const EqBand& band, BandField field);

// A typed band value as an index of its scale: NearestIndex clamps to the scale's ends, so
// 25000 Hz is 21900 Hz, Q 40 is 36 and -30 dB is -24 dB.
int bandIndexFromTyped(BandField field, const TypedNumber& typed);
// A typed filter frequency as a FrequencyScale index, clamped to 19.7 .. 21900 Hz.
int frequencyIndexFromTyped(const TypedNumber& typed);

// A new position p of the system level slider (0..301, 301 = muted): systemLevel = 301 - p, and
// it becomes the level Mute brings back unless the Mute button itself moved the slider.
void storeSystemLevel(MainSettings& main, int position, bool fromMute);
// The system Mute button: a sounding level is kept as the level to bring back and the system is
// muted; a muted system gets that level back (and stays muted when there is none).
void toggleSystemMute(MainSettings& main);
// The system Mute button pressed, with the level slider following it: the slider ends at 0.0 dB,
// so a level above that (a device's own preset may hold one) comes back as 0.0 dB. The window's
// handler and the tool's "mute=off" both press it here.
void pressSystemMute(MainSettings& main);

}  // namespace lyra
