#include "model/ValueFormat.h"

#include <array>
#include <charconv>
#include <cmath>

namespace lyra {

namespace {

template <typename... Args>
std::string ToChars(double value, Args... args) {
  // 330 characters hold any double in fixed form.
  std::array<char, 400> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, args...);
  if (result.ec != std::errc{}) return "0";
  return std::string(buffer.data(), result.ptr);
}

}  // namespace

std::string FormatShortest(double value) {
  if (!std::isfinite(value)) return "0";
  if (value == 0.0) value = 0.0;  // drops the sign of -0.0
  return ToChars(value, std::chars_format::fixed);
}

std::string FormatFixed(double value, int decimals) {
  if (!std::isfinite(value)) value = 0.0;
  std::string text = ToChars(value, std::chars_format::fixed, decimals);
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

std::string FormatFrequency(double hz) {
  return FormatShortest(hz) + " Hz";
}

std::string FormatQ(double q) {
  return FormatShortest(q);
}

std::string FormatDb(double db) {
  return FormatFixed(db, 1) + " dB";
}

std::string FormatMs(double ms) {
  return FormatFixed(ms, 3) + " ms";
}

std::string FormatMetres(double metres) {
  return FormatFixed(metres, 3) + " m";
}

std::string FormatFeet(double feet) {
  return FormatFixed(feet, 3) + " ft";
}

}  // namespace lyra
