#pragma once
// The port list's last entry, "Network port...": asks for the address of a port on the network
// (rfc2217://HOST:PORT or tcp://HOST:PORT), checked as it is typed, and adds it to the list for
// this run, selected.

#include "protocol/Dialogs.h"
#include "serial/PortList.h"

namespace lyra {

inline constexpr const char* kNetworkPortItem = "Network port...";

// Whether the user gave an address; the list then holds it, selected.
bool askNetworkPort(Dialogs& dialogs, PortList& portList);

}  // namespace lyra
