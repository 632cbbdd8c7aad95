// lyraphone-cli: the bus from a terminal, for racks, scripts and preset files.

#include <iostream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/Progress.h"

#ifdef _WIN32
#include "serial/RegistryPortSource.h"
#else
#include "serial/LinuxPortSource.h"
#endif

int main(int argc, char** argv) {
  lyra::cli::InstallInterruptHandler();
#ifdef _WIN32
  lyra::RegistryPortSource ports;
#else
  lyra::LinuxPortSource ports;
#endif
  lyra::cli::CliEnvironment environment{ports, lyra::cli::IsTerminal(2)};
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int code = lyra::cli::RunCli(args, std::cout, std::cerr, environment);
  std::cout.flush();
  return code;
}
