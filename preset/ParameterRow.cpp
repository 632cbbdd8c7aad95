#include "preset/ParameterRow.h"

namespace lyra {

namespace {

constexpr std::uint8_t kMainChannelGroup = 3;
constexpr std::uint8_t kMainFilterGroup = 4;
constexpr std::uint8_t kMainFirstBandGroup = 5;
constexpr std::uint8_t kFirstBandItem = 3;

std::uint8_t Byte(int value) {
  return static_cast<std::uint8_t>(value);
}

}  // namespace

RowAddress ChannelRowAddress(Way way) {
  if (way == Way::Main) return {kMainChannelGroup, 0};
  return {Byte(WayIndex(way)), 0};
}

RowAddress FilterRowAddress(Way way) {
  if (way == Way::Main) return {kMainFilterGroup, 0};
  return {Byte(WayIndex(way)), 1};
}

RowAddress LimiterRowAddress(Way way) {
  return {Byte(WayIndex(way)), 2};
}

RowAddress BandRowAddress(BandSlot slot) {
  const Way way = WayOfSlot(slot);
  const int row = RowOfSlot(slot);
  if (way == Way::Main) return {Byte(kMainFirstBandGroup + row), 0};
  return {Byte(WayIndex(way)), Byte(kFirstBandItem + row)};
}

std::array<RowAddress, kPresetRowCount> PresetRowAddresses() {
  std::array<RowAddress, kPresetRowCount> rows{};
  std::size_t n = 0;
  for (Way way : {Way::High, Way::Mid, Way::Low}) {
    for (int item = 0; item <= 8; ++item) rows[n++] = {Byte(WayIndex(way)), Byte(item)};
  }
  for (int group = kMainChannelGroup; group <= kMainFirstBandGroup + 5; ++group) {
    rows[n++] = {Byte(group), 0};
  }
  return rows;
}

ParameterRow ChannelRow(const PresetImage& image, Way way) {
  const WaySettings& w = image.way(way);
  const std::uint8_t delayLow = LowByte(w.delaySteps);
  const std::uint8_t delayHigh = HighByte(w.delaySteps);
  if (way == Way::Main) {
    const MainSettings& m = image.main;
    return {m.bassEnhancer,
            0,
            LowByte(m.systemLevel),
            HighByte(m.systemLevel),
            delayLow,
            delayHigh,
            w.polarity,
            m.btlMode};
  }
  return {w.level, w.unmuted, delayLow, delayHigh, w.polarity, 0, 0, 0};
}

ParameterRow FilterRow(const PresetImage& image, Way way) {
  const WaySettings& w = image.way(way);
  return {w.hpfFrequency, w.hpfType, 0, 0, w.lpfFrequency, w.lpfType, 0, 0};
}

ParameterRow LimiterRow(const PresetImage& image, Way way) {
  const WaySettings& w = image.way(way);
  return {w.limiterThreshold, w.limiterAttack, w.limiterRelease, 0, 0, 0, 0, 0};
}

ParameterRow BandRow(const PresetImage& image, BandSlot slot) {
  const EqBand& b = image.band(slot);
  return {b.frequency,
          b.type,
          LowByte(b.peqGain),
          HighByte(b.peqGain),
          LowByte(b.shelfGain),
          HighByte(b.shelfGain),
          b.q,
          0};
}

ParameterRow SystemRow(const SystemRecord& system) {
  return {system.lastPresetNumber,
          system.storedBytes[0],
          system.storedBytes[1],
          system.deviceId,
          0,
          system.temperatureLimit,
          0,
          0};
}

std::optional<ParameterRow> BuildParameterRow(const PresetImage& image, RowAddress address) {
  if (address == kSystemRowAddress) return SystemRow(image.system);
  const int group = address.group;
  const int item = address.item;
  if (group <= WayIndex(Way::Low)) {
    const Way way = static_cast<Way>(group);
    switch (item) {
      case 0:
        return ChannelRow(image, way);
      case 1:
        return FilterRow(image, way);
      case 2:
        return LimiterRow(image, way);
      default:
        if (item <= kFirstBandItem + 5)
          return BandRow(image, ToBandSlot(way, item - kFirstBandItem));
        return std::nullopt;
    }
  }
  if (item != 0) return std::nullopt;
  if (group == kMainChannelGroup) return ChannelRow(image, Way::Main);
  if (group == kMainFilterGroup) return FilterRow(image, Way::Main);
  if (group <= kMainFirstBandGroup + 5) {
    return BandRow(image, ToBandSlot(Way::Main, group - kMainFirstBandGroup));
  }
  return std::nullopt;
}

}  // namespace lyra
