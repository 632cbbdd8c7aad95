#pragma once
// PORT as the command line gives it: a name as the window's port list shows it (ttyUSB0,
// ttySIM0, COM3), the path of a device, or a port on the network (rfc2217://HOST:PORT,
// tcp://HOST:PORT).

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
// path the list does not hold (a pseudo-terminal, say) is taken as it is when it exists; a network
// address is taken as it is when it is well formed. The error says which ports there are, or
// what is wrong with the address.
std::variant<PortEntry, std::string> ResolvePort(std::string_view given, PortSource& source);

}  // namespace lyra::cli
