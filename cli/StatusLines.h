#pragma once
// What `status --watch` prints each round: one line a device, each with the round's time stamp,
// either its readings or what went wrong, so a device that fails is never silently missing. With
// --json each line is one JSON object (JSON Lines), which a script reads as the lines come.

#include <chrono>
#include <optional>
#include <string>

namespace lyra::cli {

struct StatusLine {
  std::chrono::system_clock::time_point time;
  std::string port;
  int id = 0;
  // The readings, when the device answered.
  int temperature = 0;          // whole degrees C
  std::string temperatureText;  // as the status bar gives it: ">=70 C", "36 C"
  int attenuation = 0;          // dB
  std::optional<std::string> error;  // why there is no reading
};

// UTC to the millisecond: "2026-12-09T06:25:06.123Z".
std::string TimeStamp(std::chrono::system_clock::time_point time);

// "2026-12-09T06:25:06.123Z  5  36 C  0 dB", or "...  7  error: overtime，try again."
std::string StatusText(const StatusLine& line);
// {"time": "...", "port": "ttySIM0", "id": 5, "temperature": 36, "temperatureText": "36 C",
// "attenuation": 0}, or with "error" in place of the readings; one line, a newline ends it.
std::string StatusJsonLine(const StatusLine& line);

}  // namespace lyra::cli
