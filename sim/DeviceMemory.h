#pragma once
// What one device remembers: the active preset's 320 data bytes, its twenty stored blocks (the
// first eight are the preset slots Pre0..Pre5, Usr6 and Usr7), their twenty names and the system
// record.
//
// The device knows its own memory layout: each parameter row lives at a fixed place inside the
// 320 bytes. The program keeps its own copy of that knowledge in its block codec; the two are
// written separately on purpose, so a test that runs the program against this device catches a
// disagreement between them.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace lyra {

inline constexpr std::size_t kPresetDataBytes = 320;
inline constexpr std::size_t kRowBytes = 8;
inline constexpr int kStoredBlockCount = 20;
inline constexpr int kPresetSlotCount = 8;  // Pre0..Pre5 = 1..6, Usr6 = 7, Usr7 = 8
inline constexpr int kFirstUserSlot = 7;
inline constexpr std::size_t kNameBytes = 20;
inline constexpr std::size_t kNameTableBytes = kNameBytes * kStoredBlockCount;
inline constexpr std::size_t kSystemRecordBytes = 8;

using PresetData = std::array<std::uint8_t, kPresetDataBytes>;
using PresetName = std::array<std::uint8_t, kNameBytes>;
using SystemRecordBytes = std::array<std::uint8_t, kSystemRecordBytes>;

// Where the row of a parameter write (group 0x00..0x0A, item) starts in the 320 data bytes, or
// nothing when the device has no such row. High, Mid and Low hold nine rows each (channel,
// filters, limiter, six bands) at 72 bytes per Way; the Main Way's channel, filters and six bands
// follow at 216.
std::optional<std::size_t> rowOffset(std::uint8_t group, std::uint8_t item);

// The system record's fields by byte.
namespace system_record {
inline constexpr std::size_t kLastPresetNumber = 0;
inline constexpr std::size_t kDeviceId = 3;
inline constexpr std::size_t kTemperatureLimit = 5;
}  // namespace system_record

struct DeviceMemory {
  PresetData active{};
  std::array<PresetData, kStoredBlockCount> blocks{};  // block n (1..20) at blocks[n - 1]
  std::array<PresetName, kStoredBlockCount> names{};   // name k belongs to block k + 1
  SystemRecordBytes systemRecord{};

  // As the device leaves the factory: six factory presets with their names, both user slots and
  // the spare blocks flat, the flat preset active and loaded last, the given DeviceId.
  static DeviceMemory factory(int deviceId);

  // The flat preset every device ships with: all levels 0.0 dB, every band flat, filters open,
  // system level 0.0 dB.
  static const PresetData& flatPreset();

  int deviceId() const { return systemRecord[system_record::kDeviceId]; }
  std::uint8_t busAddress() const { return static_cast<std::uint8_t>(deviceId() - 1); }

  // Makes preset slot n (1..8) active and remembers it as the last loaded one.
  void loadSlot(int slot);
  // Stores the active preset under a new name in a user slot (7 or 8).
  void saveToUserSlot(int slot, std::span<const std::uint8_t, kNameBytes> name);
  // A parameter row written by the program; false when the device has no such row.
  bool writeRow(std::uint8_t group, std::uint8_t item,
                std::span<const std::uint8_t, kRowBytes> row);

  std::array<std::uint8_t, kNameTableBytes> nameTable() const;
  static PresetName nameOf(std::string_view text);
};

}  // namespace lyra
