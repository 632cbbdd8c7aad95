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

namespace lyra {

using Frame = std::vector<std::uint8_t>;
using RowPayload = std::array<std::uint8_t, 8>;  // the eight bytes of one parameter write

namespace command {
inline constexpr std::uint8_t kWrite = 0xA1;
inline constexpr std::uint8_t kRead = 0xA2;
inline constexpr std::uint8_t kAcknowledge = 0x51;  // device replies
inline constexpr std::uint8_t kReadReply = 0x52;
}  // namespace command

namespace group {
inline constexpr std::uint8_t kHigh = 0x00;  // items: 0 channel, 1 filters, 2 limiter, 3..8 bands
inline constexpr std::uint8_t kMid = 0x01;
inline constexpr std::uint8_t kLow = 0x02;
inline constexpr std::uint8_t kMainChannel = 0x03;  // with the BTL flag
inline constexpr std::uint8_t kMainFilters = 0x04;
inline constexpr std::uint8_t kMainBand1 = 0x05;  // 0x05..0x0A: Main bands 1..6
inline constexpr std::uint8_t kSystemRecord = 0x21;
inline constexpr std::uint8_t kNameTable = 0x26;
inline constexpr std::uint8_t kUserPresetName = 0x27;
inline constexpr std::uint8_t kPresetData = 0x28;  // index 0 active, 1..8 stored presets
inline constexpr std::uint8_t kStoredBlock = 0x29;  // index 1..20
inline constexpr std::uint8_t kStatusRecord = 0x2B;
// An acknowledgement of a name save or a parameter write carries group 0.
inline constexpr std::uint8_t kWriteAcknowledged = 0x00;
}  // namespace group

inline constexpr std::uint8_t kPreambleByte = 0xA5;
inline constexpr std::uint8_t kTrailer = 0xAA;
inline constexpr std::uint8_t kBroadcastAddress = 0xFF;
inline constexpr std::size_t kEnvelopeBytes = 12;     // a frame is 12 + payload bytes
inline constexpr std::size_t kParameterWriteBytes = 20;
inline constexpr std::size_t kBlockDataBytes = 320;
inline constexpr std::size_t kUploadHeaderBytes = 10;

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
