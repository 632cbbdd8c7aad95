#pragma once
// The demo bus: simulated devices with DeviceIds 1 and 5 inside the program, behind the port
// list's Demo entry, on every platform and without a pseudo-terminal. The front ends compose one
// around the system's driver and port source and hand its driver() and ports() to the window or
// the tool in their place; the tests compose it the same way.
//
// The bus runs on the scheduler it is given, on the thread that runs that scheduler (the window's
// QtScheduler, the tool's LoopScheduler, a test's VirtualScheduler), at the line's 9600-baud byte
// timing. Its driver tells the link of each byte as it lands, so the link starts no reader thread
// for it. What the program writes to the devices stays in their memory for the run; each run
// starts from the factory contents.

#include <memory>
#include <vector>

#include "serial/DemoPort.h"
#include "sim/DeviceModel.h"
#include "sim/SimBus.h"
#include "sim/SimSerialDriver.h"

namespace lyra {

class DemoBus {
 public:
  static constexpr int kDeviceIds[] = {1, 5};

  DemoBus(Scheduler& scheduler, SerialDriver& systemDriver, PortSource& systemPorts);
  ~DemoBus();
  DemoBus(const DemoBus&) = delete;
  DemoBus& operator=(const DemoBus&) = delete;

  // What the program opens ports with: the Demo entry here, every other port on the system's.
  DemoRoutingDriver& driver() { return driver_; }
  // The system's ports, then Demo.
  PortSource& ports() { return ports_; }

  SimBus& bus() { return bus_; }
  // The device with this DeviceId as it left the factory (1 or 5); nullptr for another.
  DeviceModel* device(int factoryDeviceId);

 private:
  SimBus bus_;
  std::vector<std::unique_ptr<DeviceModel>> devices_;
  SimSerialDriver demoDriver_;
  DemoRoutingDriver driver_;
  PortsWithDemo ports_;
};

}  // namespace lyra
