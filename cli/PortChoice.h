#pragma once
// PORT as the command line gives it: a name as the window's port list shows it (ttyUSB0,
// ttySIM0, COM3) or the path of a device.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "serial/PortSource.h"

namespace lyra::cli {

// The ports in the window's order (sorted as text, case ignored); empty when the system's list
// cannot be read.
std::vector<PortEntry> ListPorts(PortSource& source);

// The entry of the list that PORT names. A name matches exactly, or ignoring case when only one
// entry does; a path (anything with a "/" or "\") matches the entry opened through it, and a
// path the list does not hold (a pseudo-terminal, say) is taken as it is when it exists. The
// error says which ports there are.
std::variant<PortEntry, std::string> ResolvePort(std::string_view given, PortSource& source);

}  // namespace lyra::cli
