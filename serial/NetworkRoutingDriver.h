#pragma once
// Network ports (rfc2217://, tcp://) open on the network driver, every other path on the system's
// driver. The front ends put it between the system's driver and the demo's routing.

#include "serial/NetworkAddress.h"
#include "serial/PathRoutingDriver.h"

namespace lyra {

class NetworkRoutingDriver final : public PathRoutingDriver {
 public:
  NetworkRoutingDriver(SerialDriver& system, SerialDriver& network)
      : PathRoutingDriver(system, network,
                          [](const std::string& path) { return isNetworkAddress(path); }) {}
};

}  // namespace lyra
