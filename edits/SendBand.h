#pragma once
// Send band: the band's ParameterRow in a 20-byte write frame, into the band's own send slot.
//
// A bypassed row is drawn flat and sent flat: the gain pair that the band's type uses goes out as
// 0x78 0x00 (0.0 dB), the other pair as stored. The image keeps the real gain, so unchecking
// Bypass sends it again.

#include "preset/PresetImage.h"
#include "protocol/CommandFrame.h"
#include "protocol/SendPump.h"

namespace lyra {

// Send slot of a band: Main bands 30..35, High/Mid/Low bands 10..27.
int bandSendSlot(BandSlot slot);
Frame bandWriteFrame(const PresetImage& image, BandSlot slot, bool bypassed,
                     std::uint8_t busAddress);
// Nothing is built while PortOpen is clear (the pump ignores the frame then).
void sendBand(SendPump& pump, const PresetImage& image, BandSlot slot, bool bypassed,
              std::uint8_t busAddress);

}  // namespace lyra
