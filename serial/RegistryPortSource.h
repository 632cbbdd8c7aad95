#pragma once
// The serial ports of a Windows system, from the registry's serial-port map
// (HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM): one value per port, whose data is the port's
// name ("COM3"). Each entry's device path is what Win32SerialDriver opens for it.

#include <string>

#include "serial/PortSource.h"

namespace lyra {

class RegistryPortSource final : public PortSource {
 public:
  // The key is a parameter so that tests can point it at a key of their own under
  // HKEY_CURRENT_USER; the program uses the system's map under HKEY_LOCAL_MACHINE.
  static constexpr const char* kSerialCommKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
  explicit RegistryPortSource(std::string subKey = kSerialCommKey, bool currentUser = false);

  // The ports in registry order (PortList sorts them). Nothing when the key cannot be read; an
  // empty list when the key does not exist, which is how Windows says there are no ports.
  std::optional<std::vector<PortEntry>> readSystemPorts() override;

 private:
  std::string subKey_;
  bool currentUser_;
};

// The path the driver opens for a port of this name: win32DeviceName(n) for "COM" n, and the
// device namespace ("//./" name) for names of another form, which some virtual-port drivers use.
std::string devicePathForPortName(const std::string& name);

}  // namespace lyra
