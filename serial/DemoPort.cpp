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

SerialError DemoRoutingDriver::open(const std::string& path) {
  // One port at a time: whatever the other driver held is let go first.
  SerialDriver* next = path == kDemoDevicePath ? &demo_ : &system_;
  if (next != active_ && active_->isOpen()) active_->close();
  active_ = next;
  return active_->open(path);
}

}  // namespace lyra
