#include "sim/DemoBus.h"

namespace lyra {

namespace {
// As lyraphone-sim seeds its devices with its default seed: each its own jitter and drift.
std::uint32_t seedOf(int deviceId) {
  return 257u + static_cast<std::uint32_t>(deviceId);
}
}  // namespace

DemoBus::DemoBus(Scheduler& scheduler, SerialDriver& systemDriver, PortSource& systemPorts)
    : bus_(scheduler), demoDriver_(bus_), driver_(systemDriver, demoDriver_), ports_(systemPorts) {
  bus_.addPort(kDemoDevicePath);
  for (int id : kDeviceIds)
    devices_.push_back(std::make_unique<DeviceModel>(bus_, kDemoDevicePath, id, seedOf(id)));
}

DemoBus::~DemoBus() {
  // Before the devices and the bus: nothing of the program is left holding the line.
  demoDriver_.close();
}

DeviceModel* DemoBus::device(int factoryDeviceId) {
  for (std::size_t i = 0; i < std::size(kDeviceIds); ++i)
    if (kDeviceIds[i] == factoryDeviceId) return devices_[i].get();
  return nullptr;
}

}  // namespace lyra
