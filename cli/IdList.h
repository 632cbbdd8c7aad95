#pragma once
// DeviceId lists as the command line gives them: "3", "1,3,5-8".

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lyra::cli {

inline constexpr int kFirstDeviceId = 1;
inline constexpr int kLastDeviceId = 255;

// The ids in the order given, each once. Items are separated by ","; an item is an id or a range
// "a-b" with a <= b; blanks around items are allowed. The error says which item is wrong and why.
std::variant<std::vector<int>, std::string> ParseIdList(std::string_view text);

// One DeviceId 1..255 (for --id N and set-id NEW).
std::variant<int, std::string> ParseDeviceId(std::string_view text);

}  // namespace lyra::cli
