#include "preset/PresetBlockText.h"

namespace lyra {

namespace {

constexpr std::array<std::int8_t, 256> MakeHexTable() {
  std::array<std::int8_t, 256> table{};
  for (auto& v : table) v = -1;
  for (int i = 0; i < 10; ++i)
    table[static_cast<std::size_t>('0' + i)] = static_cast<std::int8_t>(i);
  for (int i = 0; i < 6; ++i) {
    table[static_cast<std::size_t>('A' + i)] = static_cast<std::int8_t>(10 + i);
    table[static_cast<std::size_t>('a' + i)] = static_cast<std::int8_t>(10 + i);
  }
  return table;
}

constexpr std::array<std::int8_t, 256> kHexTable = MakeHexTable();

}  // namespace

// Indexed through unsigned char: a text from a file may hold any byte, and a negative char must
// not reach in front of the table.
int HexDigitValue(char c) {
  return kHexTable[static_cast<unsigned char>(c)];
}

bool IsValidPresetBlockText(std::string_view text) {
  if (text.size() != kPresetBlockTextLength) return false;
  for (char c : text) {
    if (HexDigitValue(c) < 0) return false;
  }
  return true;
}

bool HasIntactFrame(std::string_view text) {
  if (!IsValidPresetBlockText(text)) return false;
  auto byte = [&](std::size_t k) { return HexDigitValue(text[2 * k]) << 4 | HexDigitValue(text[2 * k + 1]); };
  int sum = 0;
  for (std::size_t k = 3; k < kPresetFrameLength - 2; ++k) sum ^= byte(k);
  return byte(kPresetFrameLength - 2) == sum && byte(kPresetFrameLength - 1) == 0xAA;
}

std::optional<PresetData> ReadPresetData(std::string_view text) {
  if (text.size() < kPresetDataTextEnd) return std::nullopt;
  PresetData data;
  const char* p = text.data() + 2 * kPresetDataFirstFrameByte;
  for (std::size_t i = 0; i < kPresetDataLength; ++i, p += 2) {
    const int high = HexDigitValue(p[0]);
    const int low = HexDigitValue(p[1]);
    if ((high | low) < 0) return std::nullopt;
    data[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return data;
}

}  // namespace lyra
