#pragma once
// What the tool's tests share: preset files written the way the window writes them (the device's
// block text, through the window's own file writer), a port list of the test's choosing, and a
// run of the tool that keeps its output, its errors and its exit code.

#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "serial/PortSource.h"
#include "sim/DeviceMemory.h"
#include "storage/PresetFiles.h"

namespace lyra::test {

// The PresetBlockText a device at busAddress sends for data (command 0x52), as files hold it.
inline std::string BlockText(std::uint8_t busAddress, std::uint8_t index, std::uint8_t group,
                             const PresetData& data) {
  std::vector<std::uint8_t> frame = {0xA5,  0xA5,  0xA5, busAddress, 0x52,
                                     index, group, 0x00, 0x01,       0x40};
  frame.insert(frame.end(), data.begin(), data.end());
  std::uint8_t checksum = 0;
  for (std::size_t i = 3; i < frame.size(); ++i) checksum ^= frame[i];
  frame.push_back(checksum);
  frame.push_back(0xAA);
  static const char* kHex = "0123456789ABCDEF";
  std::string text;
  for (std::uint8_t b : frame) {
    text += kHex[b >> 4];
    text += kHex[b & 0x0F];
  }
  return text;
}

// "Save this preset to PC": the active block as the only line.
inline void WriteSingleFile(const std::filesystem::path& path, const PresetData& active) {
  ASSERT_FALSE(WriteTextLines(path, {BlockText(0x00, 0x00, 0x28, active)}));
}

// "Save all presets to PC": stored blocks 1..20 in order.
inline void WriteAllFile(const std::filesystem::path& path,
                         const std::array<PresetData, kStoredBlockCount>& blocks) {
  std::vector<std::string> lines;
  for (int n = 1; n <= kStoredBlockCount; ++n)
    lines.push_back(BlockText(0x00, static_cast<std::uint8_t>(n), 0x29,
                              blocks[static_cast<std::size_t>(n - 1)]));
  ASSERT_FALSE(WriteTextLines(path, lines));
}

// A device's memory with one row written, as the device stores a parameter write.
inline PresetData WithRow(PresetData data, std::uint8_t group, std::uint8_t item,
                          std::array<std::uint8_t, 8> row) {
  DeviceMemory m = DeviceMemory::factory(1);
  m.active = data;
  EXPECT_TRUE(m.writeRow(group, item, row));
  return m.active;
}

class FixedPorts final : public PortSource {
 public:
  std::optional<std::vector<PortEntry>> readSystemPorts() override { return ports; }
  std::optional<std::vector<PortEntry>> ports = std::vector<PortEntry>{};
};

struct CliRun {
  int code = -1;
  std::string out;
  std::string err;
};

inline CliRun RunTool(const std::vector<std::string>& args, PortSource& ports) {
  std::ostringstream out, err;
  cli::CliEnvironment environment{ports, false};
  CliRun run;
  run.code = cli::RunCli(args, out, err, environment);
  run.out = out.str();
  run.err = err.str();
  return run;
}

inline CliRun RunTool(const std::vector<std::string>& args) {
  FixedPorts none;
  return RunTool(args, none);
}

}  // namespace lyra::test
