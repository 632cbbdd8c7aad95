#pragma once
// The device keeps its parameters in rows of eight bytes, addressed by the group and item bytes
// of a write frame. An edit sends the whole row that holds the changed field, built from the
// current PresetImage; bytes the row does not use are sent as zero.

#include <array>
#include <cstdint>
#include <optional>

#include "preset/PresetImage.h"

namespace lyra {

using ParameterRow = std::array<std::uint8_t, 8>;

struct RowAddress {
  std::uint8_t group = 0;
  std::uint8_t item = 0;
  friend bool operator==(const RowAddress&, const RowAddress&) = default;
};

// High, Mid and Low keep their rows in group = Way, items 0..8; the Main Way's rows are groups
// 3..10, item 0.
RowAddress ChannelRowAddress(Way way);  // level, mute, delay, polarity (Main: system level)
RowAddress FilterRowAddress(Way way);   // high-pass and low-pass
RowAddress LimiterRowAddress(Way way);  // High, Mid and Low only
RowAddress BandRowAddress(BandSlot slot);
inline constexpr RowAddress kSystemRowAddress = {0x21, 0x00};

// The 35 rows of one preset: High, Mid and Low items 0..8, then Main groups 3..10.
inline constexpr int kPresetRowCount = 35;
std::array<RowAddress, kPresetRowCount> PresetRowAddresses();

// High/Mid/Low: level, unmuted, delay low, delay high, polarity, 0, 0, 0.
// Main: bassEnhancer, 0, systemLevel low, high, delay low, high, polarity, btlMode.
ParameterRow ChannelRow(const PresetImage& image, Way way);
// hpfFrequency, hpfType, 0, 0, lpfFrequency, lpfType, 0, 0.
ParameterRow FilterRow(const PresetImage& image, Way way);
// limiterThreshold, limiterAttack, limiterRelease, 0, 0, 0, 0, 0.
ParameterRow LimiterRow(const PresetImage& image, Way way);
// frequency, type, peqGain low, high, shelfGain low, high, q, 0. Both gains travel whatever the
// type, so switching a band between peaking and shelf loses neither.
ParameterRow BandRow(const PresetImage& image, BandSlot slot);
// lastPresetNumber, the two stored bytes, DeviceId, 0, temperatureLimit, 0, 0.
ParameterRow SystemRow(const SystemRecord& system);

// The row at any address above; nothing for an address the device has no such row at.
std::optional<ParameterRow> BuildParameterRow(const PresetImage& image, RowAddress address);

}  // namespace lyra
