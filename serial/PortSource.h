#pragma once
// The PortSource seam: the serial ports the system has right now.

#include <optional>
#include <string>
#include <vector>

namespace lyra {

struct PortEntry {
  std::string name;        // as the system names it: "COM3", "ttyUSB0", "ttySIM0"
  std::string devicePath;  // what the driver opens: "COM3", "/dev/ttyUSB0", a simulator's link
  bool operator==(const PortEntry&) const = default;
};

class PortSource {
 public:
  virtual ~PortSource() = default;
  // The system's serial ports in any order; nothing when the system's list cannot be read (the
  // caller then keeps what it had).
  virtual std::optional<std::vector<PortEntry>> readSystemPorts() = 0;
};

}  // namespace lyra
