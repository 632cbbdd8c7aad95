#pragma once
// Where the device simulator publishes its ports: a folder of symbolic links, each named after
// the port (ttySIM0) and pointing at the pseudo-terminal the simulator serves.

#include <string>

namespace lyra {

// $XDG_RUNTIME_DIR/lyraphone/ports, or /tmp/lyraphone-<uid>/ports when XDG_RUNTIME_DIR is unset.
std::string virtualPortFolder();

}  // namespace lyra
