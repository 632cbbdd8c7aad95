#include "edits/ChannelFrames.h"

#include "preset/ParameterRow.h"

namespace lyra {

namespace {
// High, Mid and Low hold three slots each: channel, filters, limiter.
int outputWaySlot(Way way, int item) {
  return 1 + 3 * WayIndex(way) + item;
}
}  // namespace

int channelSendSlot(Way way) {
  return way == Way::Main ? kMainChannelSlot : outputWaySlot(way, 0);
}

int filterSendSlot(Way way) {
  return way == Way::Main ? kMainFiltersSlot : outputWaySlot(way, 1);
}

Frame channelWriteFrame(const PresetImage& image, Way way, std::uint8_t busAddress) {
  const RowAddress at = ChannelRowAddress(way);
  return parameterWrite(busAddress, at.group, at.item, ChannelRow(image, way));
}

Frame filterWriteFrame(const PresetImage& image, Way way, std::uint8_t busAddress) {
  const RowAddress at = FilterRowAddress(way);
  return parameterWrite(busAddress, at.group, at.item, FilterRow(image, way));
}

void sendChannel(SendPump& pump, const PresetImage& image, Way way, std::uint8_t busAddress) {
  if (!pump.portOpen()) return;
  pump.queueParameterWrite(channelSendSlot(way), channelWriteFrame(image, way, busAddress));
}

void sendFilters(SendPump& pump, const PresetImage& image, Way way, std::uint8_t busAddress) {
  if (!pump.portOpen()) return;
  pump.queueParameterWrite(filterSendSlot(way), filterWriteFrame(image, way, busAddress));
}

}  // namespace lyra
