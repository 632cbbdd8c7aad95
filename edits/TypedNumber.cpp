#include "edits/TypedNumber.h"

#include <algorithm>
#include <charconv>

namespace lyra {

namespace {

constexpr std::int64_t kNano = TypedNumber::kNanosPerUnit;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Floor of the decimal digits `whole`.`fraction` (with sign) in billionths, saturated.
std::int64_t NanosOf(bool negative, std::string_view whole, std::string_view fraction) {
  whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
  if (whole.size() > 9)
    return negative ? -TypedNumber::kSaturatedNanos : TypedNumber::kSaturatedNanos;
  std::int64_t units = 0;
  for (char c : whole) units = units * 10 + (c - '0');
  std::int64_t billionths = 0;
  for (std::size_t i = 0; i < 9; ++i) {
    billionths = billionths * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
  }
  // Digits beyond the ninth decide only whether a negative value lies below its billionth.
  const bool beyond =
      fraction.size() > 9 && fraction.substr(9).find_first_not_of('0') != std::string_view::npos;
  const std::int64_t magnitude = units * kNano + billionths;
  return negative ? -magnitude - (beyond ? 1 : 0) : magnitude;
}

std::int64_t Clamp(std::int64_t v, std::int64_t low, std::int64_t high) {
  return std::min(std::max(v, low), high);
}

}  // namespace

std::optional<TypedNumber> ParseTypedNumber(std::string_view text) {
  std::string_view rest = text;
  const bool negative = !rest.empty() && rest.front() == '-';
  if (negative) rest.remove_prefix(1);
  const std::size_t point = rest.find('.');
  const std::string_view whole = rest.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view{} : rest.substr(point + 1);
  const auto allDigits = [](std::string_view s) {
    return std::all_of(s.begin(), s.end(), IsDigit);
  };
  if (whole.empty() && fraction.empty()) return std::nullopt;
  if (!allDigits(whole) || !allDigits(fraction)) return std::nullopt;  // also a second "."

  TypedNumber n;
  // from_chars does not look at the locale; the grammar above has already been checked, so only
  // a value beyond a double's range can fail, and such a value is clamped anyway.
  const auto parsed =
      std::from_chars(text.data(), text.data() + text.size(), n.value, std::chars_format::fixed);
  if (parsed.ec == std::errc::result_out_of_range) n.value = negative ? -1e308 : 1e308;
  n.nanos = NanosOf(negative, whole, fraction);
  return n;
}

bool IsNumberSoFar(std::string_view text) {
  if (!text.empty() && text.front() == '-') text.remove_prefix(1);
  const std::size_t point = text.find('.');
  const auto allDigits = [](std::string_view s) {
    return std::all_of(s.begin(), s.end(), IsDigit);
  };
  return allDigits(text.substr(0, point)) &&
         (point == std::string_view::npos || allDigits(text.substr(point + 1)));
}

int SystemSliderPositionFromTyped(const TypedNumber& db) {
  const std::int64_t above = Clamp(db.nanos, -60 * kNano, 0) + 60 * kNano;  // 0..60 dB
  const auto level = static_cast<int>(above * 5 / kNano) + 1;               // 1..301
  return 301 - level;
}

int SatelliteLevelFromTyped(const TypedNumber& db) {
  const std::int64_t above = Clamp(db.nanos, -20 * kNano, 5 * kNano) + 20 * kNano;  // 0..25 dB
  return static_cast<int>(above * 10 / kNano);
}

int DelayStepsFromTyped(const TypedNumber& ms) {
  constexpr std::int64_t kStepNanos = 21'000'000;  // 0.021 ms
  return static_cast<int>(Clamp(ms.nanos, 0, 8'547'000'000) / kStepNanos);
}

std::optional<char> FilterTypedCharacter(char c, bool allowMinus) {
  if (IsDigit(c) || c == '.') return c;
  if (c == ',') return '.';
  if (c == '-' && allowMinus) return c;
  return std::nullopt;
}

}  // namespace lyra
