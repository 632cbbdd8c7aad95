#pragma once
// JSON output without its layout: every blank outside a string removed, so that a test can look
// for a member as `"level":{"index":286,...}` whatever the indentation.

#include <string>

namespace lyra::test {

inline std::string Compact(const std::string& json) {
  std::string out;
  bool inString = false;
  for (std::size_t i = 0; i < json.size(); ++i) {
    const char c = json[i];
    if (inString) {
      out += c;
      if (c == '\\' && i + 1 < json.size()) {
        out += json[++i];
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == ' ' || c == '\n' || c == '\t' || c == '\r') continue;
    if (c == '"') inString = true;
    out += c;
  }
  return out;
}

}  // namespace lyra::test
