#include "simserver/TrafficLog.h"

#include <cinttypes>

namespace lyra {

std::string TrafficLog::line(std::int64_t nowUs, const std::string& who,
                             const std::vector<std::uint8_t>& bytes) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%6" PRId64 ".%06" PRId64, nowUs / 1'000'000,
                nowUs % 1'000'000);
  std::string name = who;
  if (name.size() < kWhoWidth) name.resize(kWhoWidth, ' ');
  std::string text = std::string(stamp) + "  " + name + " ";
  static const char* digits = "0123456789ABCDEF";
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    if (k) text += ' ';
    text += digits[bytes[k] >> 4];
    text += digits[bytes[k] & 15];
  }
  return text;
}

void TrafficLog::write(const std::string& text) {
  if (!out_) return;
  std::fputs(text.c_str(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);  // a support case needs the log up to the moment things went wrong
}

void TrafficLog::programFrame(std::int64_t nowUs, const std::vector<std::uint8_t>& bytes) {
  write(line(nowUs, "program", bytes));
}

void TrafficLog::deviceReply(std::int64_t nowUs, int deviceId,
                             const std::vector<std::uint8_t>& bytes) {
  write(line(nowUs, "device " + std::to_string(deviceId), bytes));
}

void TrafficLog::noise(std::int64_t nowUs, const std::vector<std::uint8_t>& bytes) {
  write(line(nowUs, "noise", bytes));
}

void TrafficLog::note(std::int64_t nowUs, const std::string& text) {
  write(line(nowUs, "note", {}) + text);
}

}  // namespace lyra
