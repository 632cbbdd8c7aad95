#pragma once
// The program's copy of every parameter of the device's active preset, in the device's own
// encoding: scale indices, step counts and flags, never physical units.
//
// Plain data owned by the window and touched on its thread only. A whole preset replaces the
// Way records, the bands and the Main-only fields at once (PresetBlock.h); edits change one field
// and send the ParameterRow that holds it (ParameterRow.h).

#include <array>
#include <cstdint>
#include <string>

namespace lyra {

// Way numbers as the device counts them.
enum class Way : int { High = 0, Mid = 1, Low = 2, Main = 3 };
inline constexpr int kWayCount = 4;
inline constexpr int kBandsPerWay = 6;
inline constexpr int kBandSlotCount = kWayCount * kBandsPerWay;

constexpr int WayIndex(Way way) {
  return static_cast<int>(way);
}

// A band's address: Way * 6 + row, so High owns 0..5, Mid 6..11, Low 12..17, Main 18..23.
using BandSlot = int;
constexpr BandSlot ToBandSlot(Way way, int row) {
  return WayIndex(way) * kBandsPerWay + row;
}
constexpr Way WayOfSlot(BandSlot slot) {
  return static_cast<Way>(slot / kBandsPerWay);
}
constexpr int RowOfSlot(BandSlot slot) {
  return slot % kBandsPerWay;
}

// Band types as the device codes them.
inline constexpr std::uint8_t kPeakingBand = 0;    // "PEQ"
inline constexpr std::uint8_t kLowShelfBand = 1;   // "LS"
inline constexpr std::uint8_t kHighShelfBand = 2;  // "HS"

// Filter types 0..8: "12db-Bworth", "12db-LR", "12db-Bessel", "18db-Bworth", "18db-LR",
// "18db-Bessel", "24db-Bworth", "24db-LR", "24db-Bessel".
inline constexpr std::uint8_t kMaxFilterType = 8;

struct EqBand {
  std::uint8_t frequency = 0;  // FrequencyScale index, 0..243
  std::uint8_t type = kPeakingBand;
  std::uint16_t peqGain = 120;    // GainScale index 0..180, used while type is "PEQ"
  std::uint16_t shelfGain = 120;  // GainScale index 0..180, used while type is a shelf
  std::uint8_t q = 4;             // QScale index 0..179 (Q 1.0)

  friend bool operator==(const EqBand&, const EqBand&) = default;
};

// The gain the band is shown and drawn with: the two gains are separate fields, and changing the
// type changes neither.
constexpr std::uint16_t EffectiveGain(const EqBand& band) {
  return band.type == kPeakingBand ? band.peqGain : band.shelfGain;
}

// One record per Way. The Main Way has no level, mute or limiter of its own (its level is
// MainSettings::systemLevel); those fields of the Main record stay 0.
struct WaySettings {
  std::uint8_t level = 0;           // LevelScale index; High and Mid 0..250, Low 0..200
  std::uint8_t unmuted = 0;         // 1 = output sounds
  std::uint16_t delaySteps = 0;     // 0.021 ms steps
  std::uint8_t polarity = 0;        // 1 = inverted
  std::uint8_t hpfFrequency = 0;    // FrequencyScale index; 0 is the filter's off end
  std::uint8_t hpfType = 0;         // 0..8, "12db-Bworth" .. "24db-Bessel"
  std::uint8_t lpfFrequency = 243;  // FrequencyScale index; 243 is the filter's off end
  std::uint8_t lpfType = 0;
  std::uint8_t limiterThreshold = 0;  // 0..19, dBu = index - 19
  std::uint8_t limiterAttack = 0;     // 0..6, "0.5 ms" .. "50 ms"
  std::uint8_t limiterRelease = 0;    // 0..6, "90ms" .. "5000ms"

  friend bool operator==(const WaySettings&, const WaySettings&) = default;
};

inline constexpr std::uint16_t kSystemLevelZeroDb = 301;  // each step below is -0.2 dB; 0 = muted

struct MainSettings {
  std::uint16_t systemLevel = 0;
  // Not sent: the systemLevel that the system Mute button brings back when it un-mutes.
  std::uint16_t savedSystemLevel = 0;
  std::uint8_t bassEnhancer = 0;  // 1 = on
  std::uint8_t btlMode = 0;       // nonzero = on; taken from the device and sent back unchanged

  friend bool operator==(const MainSettings&, const MainSettings&) = default;
};

// The system row (group 0x21), read and written as a whole.
struct SystemRecord {
  std::uint8_t lastPresetNumber = 0;          // 1..6 "Pre0".."Pre5", 7..8 "Usr6", "Usr7"
  std::array<std::uint8_t, 2> storedBytes{};  // bytes 1 and 2, written back as read
  std::uint8_t deviceId = 0;
  std::uint8_t temperatureLimit = 0;  // 0..30, ">=70 °C" .. "<=10 °C"

  friend bool operator==(const SystemRecord&, const SystemRecord&) = default;
};

// The device's twenty preset names of 20 bytes; 0..7 belong to the slots "Pre0:" .. "Usr7:".
struct NameTable {
  static constexpr int kCount = 20;
  static constexpr int kLength = 20;
  std::array<std::array<std::uint8_t, kLength>, kCount> names{};

  // The name as shown: its bytes up to the first zero byte. An index outside the table is "".
  std::string shown(int index) const;

  friend bool operator==(const NameTable&, const NameTable&) = default;
};

struct PresetImage {
  // High, Mid and Low start at -8.0 dB and sounding; Main has no level of its own.
  std::array<WaySettings, kWayCount> ways = {kStartupOutputWay, kStartupOutputWay,
                                             kStartupOutputWay, WaySettings{}};
  std::array<EqBand, kBandSlotCount> bands = StartupBands();
  MainSettings main;
  SystemRecord system;
  NameTable names;

  WaySettings& way(Way w) { return ways[static_cast<std::size_t>(WayIndex(w))]; }
  const WaySettings& way(Way w) const { return ways[static_cast<std::size_t>(WayIndex(w))]; }
  EqBand& band(BandSlot slot) { return bands[static_cast<std::size_t>(slot)]; }
  const EqBand& band(BandSlot slot) const { return bands[static_cast<std::size_t>(slot)]; }

  friend bool operator==(const PresetImage&, const PresetImage&) = default;

 private:
  static constexpr WaySettings kStartupOutputWay = {.level = 120, .unmuted = 1};
  // Rows 0..5 of every Way start at 19.7, 51.1, 102, 198, 500 and 1000 Hz.
  static constexpr std::array<EqBand, kBandSlotCount> StartupBands() {
    constexpr std::array<std::uint8_t, kBandsPerWay> kRowFrequency = {0, 33, 57, 80, 112, 136};
    std::array<EqBand, kBandSlotCount> bands{};
    for (int slot = 0; slot < kBandSlotCount; ++slot) {
      bands[static_cast<std::size_t>(slot)].frequency =
          kRowFrequency[static_cast<std::size_t>(RowOfSlot(slot))];
    }
    return bands;
  }
};

// 16-bit fields travel low byte first.
constexpr std::uint8_t LowByte(std::uint16_t value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}
constexpr std::uint8_t HighByte(std::uint16_t value) {
  return static_cast<std::uint8_t>(value >> 8);
}
constexpr std::uint16_t FromBytes(std::uint8_t low, std::uint8_t high) {
  return static_cast<std::uint16_t>(low | (high << 8));
}

// The system level as shown: "Mute" for 0, else -(301 - systemLevel) * 0.2 dB, "0.0 dB" at 301.
std::string SystemLevelText(std::uint16_t systemLevel);
// An output level as shown: level * 0.1 - 20 dB, "0.0 dB" at 200.
std::string OutputLevelText(std::uint8_t level);

}  // namespace lyra
