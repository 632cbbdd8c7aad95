#include "app/NetworkPortEntry.h"

#include <variant>

#include "serial/NetworkAddress.h"

namespace lyra {

bool askNetworkPort(Dialogs& dialogs, PortList& portList) {
  const auto text = dialogs.askText(
      "Network port", "Address of the serial port on the network (rfc2217://HOST:PORT or tcp://HOST:PORT):",
      [](const std::string& typed) {
        const auto address = parseNetworkAddress(typed);
        const auto* why = std::get_if<std::string>(&address);
        return why ? *why : std::string();
      });
  if (!text) return false;
  const auto address = parseNetworkAddress(*text);
  if (!std::holds_alternative<NetworkAddress>(address)) return false;
  const std::string canonical = formatNetworkAddress(std::get<NetworkAddress>(address));
  portList.addNetworkPort({canonical, canonical});
  return true;
}

}  // namespace lyra
