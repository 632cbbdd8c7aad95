// lyraphone-cli: the bus from a terminal, for racks, scripts and preset files.

#include <iostream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/Progress.h"
#include "serial/NetworkRoutingDriver.h"
#include "serial/NetworkSerialDriver.h"
#include "sim/DemoBus.h"
#include "timing/LoopScheduler.h"

#ifdef _WIN32
#include "serial/RegistryPortSource.h"
#include "serial/Win32SerialDriver.h"
#else
#include "serial/LinuxPortSource.h"
#include "serial/PosixSerialDriver.h"
#endif

int main(int argc, char** argv) {
  lyra::cli::InstallInterruptHandler();
#ifdef _WIN32
  lyra::RegistryPortSource ports;
  lyra::Win32SerialDriver driver;
#else
  lyra::LinuxPortSource ports;
  lyra::PosixSerialDriver driver;
#endif
  // The tool's main thread runs the loop; the serial reader thread posts into it.
  lyra::LoopScheduler scheduler;
  // --port demo: simulated devices on the tool's own loop, fresh for each run.
  // --port rfc2217://HOST:PORT, tcp://HOST:PORT: ports on the network.
  lyra::NetworkSerialDriver network(scheduler);
  lyra::NetworkRoutingDriver systemOrNetwork(driver, network);
  lyra::DemoBus demo(scheduler, systemOrNetwork, ports);
  lyra::cli::DeviceIo io{
      scheduler, demo.driver(),
      [&scheduler](const std::function<bool()>& pred, std::int64_t limitMs) {
        return scheduler.runUntil(pred, limitMs);
      },
      [] { return lyra::cli::Interrupted(); }};
  lyra::cli::CliEnvironment environment{demo.ports(), lyra::cli::IsTerminal(2), &io};
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int code = lyra::cli::RunCli(args, std::cout, std::cerr, environment);
  std::cout.flush();
  return code;
}
