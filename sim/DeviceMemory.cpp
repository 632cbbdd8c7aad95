#include "sim/DeviceMemory.h"

#include <algorithm>

namespace lyra {

namespace {

constexpr std::size_t kWayBytes = 72;  // High, Mid, Low: nine rows each
constexpr std::uint8_t kLastWayGroup = 0x02;
constexpr std::uint8_t kLastWayItem = 8;  // items 3..8 are the six bands
constexpr std::uint8_t kMainChannelGroup = 0x03;
constexpr std::uint8_t kMainFiltersGroup = 0x04;
constexpr std::uint8_t kMainBand1Group = 0x05;
constexpr std::uint8_t kMainBand6Group = 0x0A;
constexpr std::size_t kMainChannelAt = 216;
constexpr std::size_t kMainFiltersAt = 224;
constexpr std::size_t kMainBandsAt = 232;

using Row = std::array<std::uint8_t, kRowBytes>;

void put(PresetData& data, std::uint8_t group, std::uint8_t item, const Row& row) {
  std::copy(row.begin(), row.end(), data.begin() + static_cast<long>(*rowOffset(group, item)));
}

// Rows in the device's encoding: scale indices, low byte first for 16-bit fields.
Row channelRow(std::uint8_t level) {
  return {level, 1, 0, 0, 0, 0, 0, 0};
}
Row filtersRow(std::uint8_t hpf, std::uint8_t hpfType, std::uint8_t lpf, std::uint8_t lpfType) {
  return {hpf, hpfType, 0, 0, lpf, lpfType, 0, 0};
}
Row bandRow(std::uint8_t frequency, std::uint8_t type, std::uint8_t gain, std::uint8_t q) {
  // Both gains carry the same value, so switching the band's type keeps what it sounds like.
  return {frequency, type, gain, 0, gain, 0, q, 0};
}
Row mainChannelRow(int systemLevel, std::uint8_t bassEnhancer) {
  return {bassEnhancer,
          0,
          static_cast<std::uint8_t>(systemLevel & 0xFF),
          static_cast<std::uint8_t>(systemLevel >> 8),
          0,
          0,
          0,
          0};
}

constexpr std::uint8_t kLevel0dB = 200;      // level index: 0.0 dB
constexpr std::uint8_t kGain0dB = 120;       // gain index: 0.0 dB, 0.2 dB a step
constexpr std::uint8_t kQ1 = 4;              // Q 1.0
constexpr std::uint8_t kTopFrequency = 243;  // 21.9 kHz: the low-pass filter is out of the way
constexpr std::uint8_t kThreshold0dBu = 19;  // limiter threshold 0 dBu
constexpr int kSystemLevel0dB = 301;
constexpr std::uint8_t kPeq = 0, kLowShelf = 1, kHighShelf = 2;
constexpr std::uint8_t kButterworth24 = 6, kLinkwitzRiley24 = 7, kLinkwitzRiley12 = 1;

PresetData makeFlatPreset() {
  PresetData data{};
  for (std::uint8_t way = 0; way <= kLastWayGroup; ++way) {
    put(data, way, 0, channelRow(kLevel0dB));
    put(data, way, 1, filtersRow(0, 0, kTopFrequency, 0));
    put(data, way, 2, {kThreshold0dBu, 0, 0, 0, 0, 0, 0, 0});
    for (std::uint8_t item = 3; item <= kLastWayItem; ++item)
      put(data, way, item, bandRow(0, kPeq, kGain0dB, kQ1));
  }
  put(data, kMainChannelGroup, 0, mainChannelRow(kSystemLevel0dB, 0));
  put(data, kMainFiltersGroup, 0, filtersRow(0, 0, kTopFrequency, 0));
  for (std::uint8_t g = kMainBand1Group; g <= kMainBand6Group; ++g)
    put(data, g, 0, bandRow(0, kPeq, kGain0dB, kQ1));
  return data;
}

// The factory presets differ from the flat one in the Main Way only, as a dealer would set them
// up: a speech preset that cuts rumble and lifts presence, a music preset with a little more bass
// and air, and so on. Frequencies are FrequencyScale indices (24 a octave, 1 kHz at 136).
PresetData speechPreset() {
  PresetData d = makeFlatPreset();
  put(d, kMainFiltersGroup, 0, filtersRow(57, kLinkwitzRiley24, 196, kButterworth24));
  put(d, kMainBand1Group + 2, 0, bandRow(101, kPeq, 110, 6));  // 370 Hz -2 dB, boxiness
  put(d, kMainBand1Group + 4, 0, bandRow(174, kPeq, 135, 8));  // 3 kHz +3 dB, presence
  return d;
}

PresetData musicPreset() {
  PresetData d = makeFlatPreset();
  put(d, kMainFiltersGroup, 0, filtersRow(25, kLinkwitzRiley12, kTopFrequency, 0));
  put(d, kMainBand1Group, 0, bandRow(49, kLowShelf, 140, kQ1));        // 80 Hz shelf +4 dB
  put(d, kMainBand1Group + 5, 0, bandRow(208, kHighShelf, 130, kQ1));  // 8 kHz shelf +2 dB
  return d;
}

PresetData livePreset() {
  PresetData d = makeFlatPreset();
  put(d, kMainFiltersGroup, 0, filtersRow(33, kButterworth24, kTopFrequency, 0));
  put(d, kMainBand1Group + 1, 0, bandRow(73, kPeq, 105, 10));   // 160 Hz -3 dB, stage boom
  put(d, kMainBand1Group + 3, 0, bandRow(160, kPeq, 112, 12));  // 2 kHz -1.6 dB, harshness
  return d;
}

PresetData bassPreset() {
  PresetData d = makeFlatPreset();
  put(d, kMainChannelGroup, 0, mainChannelRow(kSystemLevel0dB - 15, 1));  // -3 dB, enhancer on
  put(d, kMainBand1Group, 0, bandRow(41, kPeq, 150, 3));                  // 65 Hz +6 dB
  return d;
}

PresetData nightPreset() {
  PresetData d = makeFlatPreset();
  put(d, kMainChannelGroup, 0, mainChannelRow(kSystemLevel0dB - 50, 0));  // -10 dB
  put(d, kMainFiltersGroup, 0, filtersRow(49, kLinkwitzRiley24, kTopFrequency, 0));
  return d;
}

}  // namespace

std::optional<std::size_t> rowOffset(std::uint8_t group, std::uint8_t item) {
  if (group <= kLastWayGroup) {
    if (item > kLastWayItem) return std::nullopt;
    return kWayBytes * group + kRowBytes * item;
  }
  if (item != 0) return std::nullopt;
  if (group == kMainChannelGroup) return kMainChannelAt;
  if (group == kMainFiltersGroup) return kMainFiltersAt;
  if (group >= kMainBand1Group && group <= kMainBand6Group)
    return kMainBandsAt + kRowBytes * static_cast<std::size_t>(group - kMainBand1Group);
  return std::nullopt;
}

const PresetData& DeviceMemory::flatPreset() {
  static const PresetData flat = makeFlatPreset();
  return flat;
}

PresetName DeviceMemory::nameOf(std::string_view text) {
  PresetName name{};
  std::copy_n(text.begin(), std::min(text.size(), kNameBytes), name.begin());
  return name;
}

DeviceMemory DeviceMemory::factory(int deviceId) {
  DeviceMemory m;
  m.blocks.fill(flatPreset());
  m.blocks[1] = speechPreset();
  m.blocks[2] = musicPreset();
  m.blocks[3] = livePreset();
  m.blocks[4] = bassPreset();
  m.blocks[5] = nightPreset();
  const char* names[kPresetSlotCount] = {"Flat",      "Speech", "Music",  "Live Band",
                                         "Bass Plus", "Night",  "User 6", "User 7"};
  for (int k = 0; k < kPresetSlotCount; ++k) m.names[k] = nameOf(names[k]);
  // Names 8..19 belong to the spare blocks, which leave the factory unnamed.
  m.active = flatPreset();
  m.systemRecord = {1, 0x01, 0x00, static_cast<std::uint8_t>(deviceId), 0, 5, 0, 0};
  return m;
}

void DeviceMemory::loadSlot(int slot) {
  active = blocks[static_cast<std::size_t>(slot - 1)];
  systemRecord[system_record::kLastPresetNumber] = static_cast<std::uint8_t>(slot);
}

void DeviceMemory::saveToUserSlot(int slot, std::span<const std::uint8_t, kNameBytes> name) {
  const auto k = static_cast<std::size_t>(slot - 1);
  blocks[k] = active;
  std::copy(name.begin(), name.end(), names[k].begin());
}

bool DeviceMemory::writeRow(std::uint8_t group, std::uint8_t item,
                            std::span<const std::uint8_t, kRowBytes> row) {
  const auto at = rowOffset(group, item);
  if (!at) return false;
  std::copy(row.begin(), row.end(), active.begin() + static_cast<long>(*at));
  return true;
}

std::array<std::uint8_t, kNameTableBytes> DeviceMemory::nameTable() const {
  std::array<std::uint8_t, kNameTableBytes> table{};
  for (std::size_t k = 0; k < names.size(); ++k)
    std::copy(names[k].begin(), names[k].end(), table.begin() + static_cast<long>(k * kNameBytes));
  return table;
}

}  // namespace lyra
