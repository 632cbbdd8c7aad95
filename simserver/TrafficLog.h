#pragma once
// The simulator's traffic log, for support cases: one line per frame the program sent and per
// reply a device sent, stamped with the seconds since the simulator started, in hex.
//
//       12.503117  program    A5 A5 A5 00 A2 00 2B 00 00 00 89 AA
//       12.517402  device 1   A5 A5 A5 00 52 00 2B 00 00 08 00 00 0A 8F 00 00 00 00 F6 AA
//       13.004880  noise      13 37
//       14.000000  note       port vanished

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace lyra {

class TrafficLog {
 public:
  // Writes to out (not owned); nullptr logs nothing.
  explicit TrafficLog(std::FILE* out) : out_(out) {}

  void programFrame(std::int64_t nowUs, const std::vector<std::uint8_t>& bytes);
  void deviceReply(std::int64_t nowUs, int deviceId, const std::vector<std::uint8_t>& bytes);
  // Bytes from the program that made no frame (garbage, cut frames, bad checksums).
  void noise(std::int64_t nowUs, const std::vector<std::uint8_t>& bytes);
  void note(std::int64_t nowUs, const std::string& text);

  static constexpr std::size_t kWhoWidth = 10;  // "device 255"
  // One log line, as written.
  static std::string line(std::int64_t nowUs, const std::string& who,
                          const std::vector<std::uint8_t>& bytes);

 private:
  void write(const std::string& text);
  std::FILE* out_;
};

}  // namespace lyra
