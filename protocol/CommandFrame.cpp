#include "protocol/CommandFrame.h"

#include <algorithm>
#include <cassert>

namespace lyra {

std::uint8_t xorOf(std::span<const std::uint8_t> bytes) {
  std::uint8_t x = 0;
  for (std::uint8_t b : bytes) x ^= b;
  return x;
}

Frame buildFrame(std::uint8_t busAddress, std::uint8_t command, std::uint8_t index,
                 std::uint8_t group, std::uint8_t item, std::span<const std::uint8_t> payload) {
  const std::size_t n = payload.size();
  Frame f(kEnvelopeBytes + n);
  f[0] = f[1] = f[2] = kPreambleByte;
  f[3] = busAddress;
  f[4] = command;
  f[5] = index;
  f[6] = group;
  f[7] = item;
  f[8] = static_cast<std::uint8_t>(n >> 8);
  f[9] = static_cast<std::uint8_t>(n & 0xFF);
  std::copy(payload.begin(), payload.end(), f.begin() + 10);
  f[10 + n] = xorOf(std::span(f).subspan(3, 7 + n));
  f[11 + n] = kTrailer;
  return f;
}

namespace {
Frame readRequest(std::uint8_t busAddress, std::uint8_t index, std::uint8_t group) {
  return buildFrame(busAddress, command::kRead, index, group, 0, {});
}
}  // namespace

Frame statusPoll(std::uint8_t busAddress) {
  return readRequest(busAddress, 0, group::kStatusRecord);
}

Frame readActivePreset(std::uint8_t busAddress) {
  return readRequest(busAddress, 0, group::kPresetData);
}

Frame loadStoredPreset(std::uint8_t busAddress, int slot) {
  assert(slot >= 1 && slot <= 8);
  return readRequest(busAddress, static_cast<std::uint8_t>(slot), group::kPresetData);
}

Frame readNameTable(std::uint8_t busAddress) {
  return readRequest(busAddress, 0, group::kNameTable);
}

Frame readStoredBlock(std::uint8_t busAddress, int block) {
  assert(block >= 1 && block <= 20);
  return readRequest(busAddress, static_cast<std::uint8_t>(block), group::kStoredBlock);
}

Frame systemRecordRead(std::uint8_t busAddress) {
  // The read carries eight zero bytes where the write carries the record.
  const RowPayload zeros{};
  return buildFrame(busAddress, command::kRead, 0, group::kSystemRecord, 0, zeros);
}

Frame parameterWrite(std::uint8_t busAddress, std::uint8_t group, std::uint8_t item,
                     const RowPayload& payload) {
  return buildFrame(busAddress, command::kWrite, 0, group, item, payload);
}

Frame saveUserPresetName(std::uint8_t busAddress, int slot, std::string_view name) {
  assert(slot == 7 || slot == 8);
  std::array<std::uint8_t, 20> bytes{};
  const size_t n = std::min(name.size(), bytes.size());
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(name[i]);
  return buildFrame(busAddress, command::kWrite, static_cast<std::uint8_t>(slot),
                    group::kUserPresetName, 0, bytes);
}

Frame uploadHeader(std::uint8_t busAddress, std::uint8_t index, std::uint8_t group) {
  return {kPreambleByte, kPreambleByte, kPreambleByte, busAddress, command::kWrite, index,
          group,         0x00,          0x01,          0x40};
}

SlotTarget slotTarget(int slot) {
  assert(slot >= 1 && slot <= 36);
  // Slots 1..9: channel, filters and limiter of High, Mid and Low, three a Way.
  if (slot <= 9) {
    return {static_cast<std::uint8_t>((slot - 1) / 3), static_cast<std::uint8_t>((slot - 1) % 3)};
  }
  // Slots 10..27: the six bands of High, Mid and Low (items 3..8).
  if (slot <= 27) {
    return {static_cast<std::uint8_t>((slot - 10) / 6),
            static_cast<std::uint8_t>(3 + (slot - 10) % 6)};
  }
  if (slot == kMainChannelSlot) return {group::kMainChannel, 0};
  if (slot == kSystemRecordSlot) return {group::kSystemRecord, 0};
  if (slot == kMainFiltersSlot) return {group::kMainFilters, 0};
  return {static_cast<std::uint8_t>(group::kMainBand1 + (slot - kMainBand1Slot)), 0};
}

}  // namespace lyra
