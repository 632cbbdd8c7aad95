#include "cli/StatusLines.h"

#include <cstdio>

#include "cli/Json.h"

namespace lyra::cli {

namespace {

// A message box breaks its lines at "\r" (or "\r\n"); a line of output keeps it on one.
std::string OneLine(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
  }
  return out;
}

}  // namespace

std::string TimeStamp(std::chrono::system_clock::time_point time) {
  using namespace std::chrono;
  const auto ms = floor<milliseconds>(time);
  const auto day = floor<days>(ms);
  const year_month_day date{day};
  const hh_mm_ss<milliseconds> clock{ms - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ",
                static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()),
                static_cast<int>(clock.subseconds().count()));
  return text;
}

std::string StatusText(const StatusLine& line) {
  std::string out = TimeStamp(line.time) + "  " + std::to_string(line.id) + "  ";
  if (line.error) return out + "error: " + OneLine(*line.error) + "\n";
  return out + line.temperatureText + "  " + std::to_string(line.attenuation) + " dB\n";
}

std::string StatusJsonLine(const StatusLine& line) {
  const auto quoted = [](const std::string& s) { return JsonEscaped(s); };
  std::string out = "{\"time\": " + quoted(TimeStamp(line.time)) + ", \"port\": " +
                    quoted(line.port) + ", \"id\": " + std::to_string(line.id);
  if (line.error) return out + ", \"error\": " + quoted(OneLine(*line.error)) + "}\n";
  return out + ", \"temperature\": " + std::to_string(line.temperature) +
         ", \"temperatureText\": " + quoted(line.temperatureText) +
         ", \"attenuation\": " + std::to_string(line.attenuation) + "}\n";
}

}  // namespace lyra::cli
