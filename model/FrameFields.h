#pragma once
// The numbers of the frame envelope that both directions share: the command codes, the groups,
// the preamble and trailer bytes, the broadcast address and the sizes. The requests are built in
// protocol/CommandFrame.h; the replies are recognised by reply/ReplyParser, which needs these
// numbers but nothing of the sending side.
//
//   A5 A5 A5 | BusAddress | command | index | group | item | length (2, big-endian) | payload |
//   checksum (XOR of BusAddress .. last payload byte) | AA

#include <cstddef>
#include <cstdint>

namespace lyra {

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

}  // namespace lyra
