#pragma once
// Uploading a whole preset: the 10 header bytes, then the 322 bytes that follow them (the 320 data
// bytes of a PresetBlockText, the checksum and 0xAA).
//
// An upload sends the data bytes of a text that came from the device or from a file, never bytes
// rebuilt from the PresetImage: bytes this program does not interpret go back to the device
// exactly as they came.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "preset/PresetBlockText.h"

namespace lyra {

// Where an upload goes: the index and group bytes of its header.
struct UploadTarget {
  std::uint8_t indexByte = 0;
  std::uint8_t group = 0;

  static constexpr UploadTarget ActivePreset() { return {0x00, 0x28}; }
  static constexpr UploadTarget StoredBlock(std::uint8_t n) { return {n, 0x29}; }
  friend bool operator==(const UploadTarget&, const UploadTarget&) = default;
};

// The preset-file operations count their uploads: 25 while the active preset goes up, 1..20
// while stored block n does. Nothing for any other count.
std::optional<UploadTarget> UploadTargetForCounter(int uploadCounter);

using UploadHeader = std::array<std::uint8_t, 10>;
using UploadBody = std::array<std::uint8_t, 322>;

// A5 A5 A5, BusAddress, A1, index, group, 00, 01, 40.
UploadHeader BuildUploadHeader(std::uint8_t busAddress, UploadTarget target);

// The data bytes of text, then the frame checksum (XOR of frame bytes 3..329, that is of the
// data bytes and header bytes 3..9), then 0xAA. Nothing when the text does not hold 320
// hexadecimal data bytes.
std::optional<UploadBody> BuildUploadBody(std::string_view text, std::uint8_t busAddress,
                                          UploadTarget target);

}  // namespace lyra
