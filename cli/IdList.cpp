#include "cli/IdList.h"

#include <algorithm>

namespace lyra::cli {

namespace {

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string Quoted(std::string_view s) {
  return "'" + std::string(s) + "'";
}

// A whole number of digits only; values far above 255 stop counting so they cannot overflow.
std::variant<int, std::string> Number(std::string_view item) {
  if (item.empty()) return std::string("an id is missing");
  long value = 0;
  for (char c : item) {
    if (c < '0' || c > '9') return Quoted(item) + " is not a DeviceId (a whole number 1..255)";
    value = std::min(value * 10 + (c - '0'), 100000L);
  }
  if (value < kFirstDeviceId || value > kLastDeviceId)
    return Quoted(item) + " is outside the DeviceIds 1..255";
  return static_cast<int>(value);
}

}  // namespace

std::variant<int, std::string> ParseDeviceId(std::string_view text) {
  return Number(Trimmed(text));
}

std::variant<std::vector<int>, std::string> ParseIdList(std::string_view text) {
  std::vector<int> ids;
  if (Trimmed(text).empty()) return std::string("the list of DeviceIds is empty");
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    const std::string_view item =
        Trimmed(text.substr(start, comma == std::string_view::npos ? text.npos : comma - start));
    if (item.empty()) return Quoted(text) + " has an empty item";
    const std::size_t dash = item.find('-');
    int first = 0;
    int last = 0;
    if (dash == std::string_view::npos) {
      const auto n = Number(item);
      if (const auto* error = std::get_if<std::string>(&n)) return *error;
      first = last = std::get<int>(n);
    } else {
      const auto a = Number(Trimmed(item.substr(0, dash)));
      const auto b = Number(Trimmed(item.substr(dash + 1)));
      if (const auto* error = std::get_if<std::string>(&a))
        return "in " + Quoted(item) + ": " + *error;
      if (const auto* error = std::get_if<std::string>(&b))
        return "in " + Quoted(item) + ": " + *error;
      first = std::get<int>(a);
      last = std::get<int>(b);
      if (first > last)
        return "the range " + Quoted(item) + " runs backwards (write " + std::to_string(last) +
               "-" + std::to_string(first) + ")";
    }
    for (int id = first; id <= last; ++id) {
      if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    }
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return ids;
}

}  // namespace lyra::cli
