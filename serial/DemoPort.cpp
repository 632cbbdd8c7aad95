#include "serial/DemoPort.h"

namespace lyra {

PortEntry demoPortEntry() {
  return {kDemoPortName, kDemoDevicePath};
}

bool isDemoPort(const PortEntry& entry) {
  return entry.devicePath == kDemoDevicePath;
}

std::optional<std::vector<PortEntry>> PortsWithDemo::readSystemPorts() {
  auto ports = system_.readSystemPorts();
  if (ports) ports->push_back(demoPortEntry());
  return ports;
}

}  // namespace lyra
