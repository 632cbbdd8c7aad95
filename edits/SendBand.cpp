#include "edits/SendBand.h"

#include "model/ParameterScales.h"
#include "preset/ParameterRow.h"

namespace lyra {

int bandSendSlot(BandSlot slot) {
  const int row = RowOfSlot(slot);
  if (WayOfSlot(slot) == Way::Main) return kMainBand1Slot + row;
  return 10 + WayIndex(WayOfSlot(slot)) * kBandsPerWay + row;
}

Frame bandWriteFrame(const PresetImage& image, BandSlot slot, bool bypassed,
                     std::uint8_t busAddress) {
  ParameterRow row = BandRow(image, slot);
  if (bypassed) {
    const std::size_t pair = image.band(slot).type == kPeakingBand ? 2 : 4;
    row[pair] = LowByte(static_cast<std::uint16_t>(kZeroDbGainIndex));
    row[pair + 1] = HighByte(static_cast<std::uint16_t>(kZeroDbGainIndex));
  }
  const RowAddress at = BandRowAddress(slot);
  return parameterWrite(busAddress, at.group, at.item, row);
}

void sendBand(SendPump& pump, const PresetImage& image, BandSlot slot, bool bypassed,
              std::uint8_t busAddress) {
  if (!pump.portOpen()) return;
  pump.queueParameterWrite(bandSendSlot(slot), bandWriteFrame(image, slot, bypassed, busAddress));
}

}  // namespace lyra
