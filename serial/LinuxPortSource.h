#pragma once
// The serial ports of a Linux system: real devices from /sys/class/tty, plus the virtual ports
// that lyraphone-sim publishes.

#include <string>

#include "serial/PortSource.h"

namespace lyra {

class LinuxPortSource final : public PortSource {
 public:
  // The folders are parameters so that tests can point them at a folder of their own.
  explicit LinuxPortSource(std::string sysClassTty = "/sys/class/tty",
                           std::string virtualFolder = {});
  std::optional<std::vector<PortEntry>> readSystemPorts() override;

 private:
  std::string sysClassTty_;
  std::string virtualFolder_;
};

}  // namespace lyra
