#pragma once
// The write frames of a Way's channel row (level, mute, delay, polarity; for Main also the Bass
// Enhancer and BTL flags) and of its filter row (both filters), each into its own send slot.
// Every byte comes from the PresetImage through preset/ParameterRow.h, so an edit and a preset
// upload can never disagree about a row's layout.

#include "preset/PresetImage.h"
#include "protocol/CommandFrame.h"
#include "protocol/SendPump.h"

namespace lyra {

// Main channel 28, filters 36; High, Mid and Low channel 1, 4, 7 and filters 2, 5, 8.
int channelSendSlot(Way way);
int filterSendSlot(Way way);

Frame channelWriteFrame(const PresetImage& image, Way way, std::uint8_t busAddress);
Frame filterWriteFrame(const PresetImage& image, Way way, std::uint8_t busAddress);

// Nothing is built while PortOpen is clear.
void sendChannel(SendPump& pump, const PresetImage& image, Way way, std::uint8_t busAddress);
void sendFilters(SendPump& pump, const PresetImage& image, Way way, std::uint8_t busAddress);

}  // namespace lyra
