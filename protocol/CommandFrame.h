#pragma once
// Command frames: the envelope every exchange with the device travels in, and the requests the
// program sends.
//
//   A5 A5 A5 | BusAddress | command | index | group | item | length (2, big-endian) | payload |
//   checksum (XOR of BusAddress .. last payload byte) | AA
//
// There is no escaping: A5 and AA may stand inside the payload and the checksum.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "model/FrameFields.h"

namespace lyra {

using Frame = std::vector<std::uint8_t>;
using RowPayload = std::array<std::uint8_t, 8>;  // the eight bytes of one parameter write

// The envelope's numbers (commands, groups, preamble, trailer, sizes) are in model/FrameFields.h.

// XOR of the bytes given (the checksum covers frame bytes 3 .. the last payload byte).
std::uint8_t xorOf(std::span<const std::uint8_t> bytes);

Frame buildFrame(std::uint8_t busAddress, std::uint8_t command, std::uint8_t index,
                 std::uint8_t group, std::uint8_t item, std::span<const std::uint8_t> payload);

// The requests, by what they ask.
Frame statusPoll(std::uint8_t busAddress);
Frame readActivePreset(std::uint8_t busAddress);
Frame loadStoredPreset(std::uint8_t busAddress, int slot);  // 1..8: Pre0..Pre5, Usr6, Usr7
Frame readNameTable(std::uint8_t busAddress);
Frame readStoredBlock(std::uint8_t busAddress, int block);  // 1..20
Frame systemRecordRead(std::uint8_t busAddress);
Frame parameterWrite(std::uint8_t busAddress, std::uint8_t group, std::uint8_t item,
                     const RowPayload& payload);
// The name goes in as its bytes, cut at 20 and padded with zero bytes to 20.
Frame saveUserPresetName(std::uint8_t busAddress, int slot, std::string_view name);
// The 10 header bytes of an upload; the 322 bytes that follow come from the block codec.
Frame uploadHeader(std::uint8_t busAddress, std::uint8_t index, std::uint8_t group);

// Where each parameter-write send slot goes.
struct SlotTarget {
  std::uint8_t group;
  std::uint8_t item;
};
inline constexpr int kSlotCount = 50;
inline constexpr int kHighChannelSlot = 1;
inline constexpr int kMainChannelSlot = 28;
inline constexpr int kSystemRecordSlot = 29;
inline constexpr int kMainBand1Slot = 30;  // 30..35: Main bands 1..6
inline constexpr int kMainFiltersSlot = 36;
inline constexpr int kSystemRecordReadSlot = 37;
// The group and item of parameter-write slot 1..36.
SlotTarget slotTarget(int slot);

}  // namespace lyra
