#pragma once
// A whole preset as the program keeps it: the PresetBlockText, the 332-byte frame that carries
// it written as 664 hexadecimal characters, exactly as the device sends it and as preset files
// store it.
//
// Frame bytes: A5 A5 A5, BusAddress, command, index, group, item, length 01 40, the 320 data
// bytes (frame bytes 10..329), checksum, AA. Frame byte k is text characters 2k and 2k + 1
// (counting from 0). Only the data bytes are ever interpreted.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lyra {

inline constexpr std::size_t kPresetBlockTextLength = 664;
inline constexpr std::size_t kPresetFrameLength = 332;
inline constexpr std::size_t kPresetDataLength = 320;
inline constexpr std::size_t kPresetDataFirstFrameByte = 10;
// The data end with frame byte 329, that is text character 659 (counting from 0).
inline constexpr std::size_t kPresetDataTextEnd =
    2 * (kPresetDataFirstFrameByte + kPresetDataLength);

using PresetData = std::array<std::uint8_t, kPresetDataLength>;

// The value of one hexadecimal digit, either case; -1 for any other character.
int HexDigitValue(char c);

// A text a preset file may hand over: exactly 664 characters, every pair a hexadecimal number
// in upper or lower case. Header, checksum and trailer are not examined.
bool IsValidPresetBlockText(std::string_view text);

// A block that came through the line whole: a valid text whose checksum (frame byte 330) is the
// XOR of frame bytes 3..329 and whose last byte is 0xAA. A byte damaged on the line anywhere
// from the BusAddress on fails it. Replies are decoded without this check; preset files and
// group uploads keep only blocks that pass it, so a damaged reply never becomes a stored preset.
bool HasIntactFrame(std::string_view text);

// The 320 data bytes of a text. Nothing when the text is too short to hold them or a data
// character is not a hexadecimal digit; characters past the data are never looked at.
std::optional<PresetData> ReadPresetData(std::string_view text);

}  // namespace lyra
