#pragma once
// The commands that talk to devices, on the window's own device sessions (DeviceSessions): one
// device at a time, each connected, served and disconnected before the next, with the poll and
// the watchdog running while a device is connected, as in the window.
//
// What they run on comes from outside: the tool's main gives a LoopScheduler and the system's
// serial driver, the tests a VirtualScheduler and simulated devices; the code in between is the
// same.

#include <cstdint>
#include <functional>
#include <ostream>
#include <vector>

#include "cli/CommandLine.h"
#include "serial/PortSource.h"
#include "serial/SerialDriver.h"
#include "timing/Scheduler.h"

namespace lyra::cli {

struct DeviceIo {
  Scheduler& scheduler;
  SerialDriver& driver;
  // Runs the scheduler until pred() holds or limitMs have passed; returns pred().
  std::function<bool(const std::function<bool()>& pred, std::int64_t limitMs)> runUntil;
  std::function<bool()> interrupted;  // Ctrl-C
};

// Runs an online command whose arguments, files and port were checked. ports: the one port of
// --port, or every port (search without --port). An exit code of cli/ExitCodes.h.
int RunDeviceCommand(const Invocation& inv, const std::vector<PortEntry>& ports,
                     PortSource& system, DeviceIo& io, std::ostream& out, std::ostream& err,
                     bool errIsTerminal);

}  // namespace lyra::cli
