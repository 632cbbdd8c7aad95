#pragma once
// The demo port: simulated devices that run inside the program, listed after the system's ports
// on every platform, so that every function can be tried without hardware.
//
// serial/ knows only the entry and how to route its opening; the bus and its devices (sim/DemoBus)
// are composed by the front ends, so nothing here depends on the simulator:
//   PortsWithDemo      the system's ports, then the Demo entry
//   DemoRoutingDriver  opens the Demo entry's path on the demo driver, every other path on the
//                      system's driver, and passes each later call to the one it opened with

#include <string>

#include "serial/PathRoutingDriver.h"
#include "serial/PortSource.h"

namespace lyra {

inline constexpr const char* kDemoPortName = "Demo";
// What the driver is asked to open for the Demo entry; no system names a device this way.
inline constexpr const char* kDemoDevicePath = "lyraphone-demo:";

PortEntry demoPortEntry();
bool isDemoPort(const PortEntry& entry);

class PortsWithDemo final : public PortSource {
 public:
  explicit PortsWithDemo(PortSource& system) : system_(system) {}
  // The system's ports and the Demo entry; nothing when the system's list cannot be read (the
  // caller keeps what it had, Demo included).
  std::optional<std::vector<PortEntry>> readSystemPorts() override;

 private:
  PortSource& system_;
};

class DemoRoutingDriver final : public PathRoutingDriver {
 public:
  DemoRoutingDriver(SerialDriver& system, SerialDriver& demo)
      : PathRoutingDriver(system, demo, [](const std::string& path) { return path == kDemoDevicePath; }) {}

  bool demoOpen() const { return ownOpen(); }
};

}  // namespace lyra
