#include "serial/LinuxPortSource.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "serial/VirtualPorts.h"

namespace fs = std::filesystem;

namespace lyra {

std::string virtualPortFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
    return std::string(runtime) + "/lyraphone/ports";
  return "/tmp/lyraphone-" + std::to_string(::getuid()) + "/ports";
}

LinuxPortSource::LinuxPortSource(std::string sysClassTty, std::string virtualFolder)
    : sysClassTty_(std::move(sysClassTty)),
      virtualFolder_(virtualFolder.empty() ? virtualPortFolder() : std::move(virtualFolder)) {}

namespace {

// The legacy 8250 driver makes ttyS0..ttyS31 whether or not a UART is there; those with no UART
// report type 0 and cannot be opened usefully.
bool isPhantomLegacyPort(const fs::path& entry) {
  if (entry.filename().string().rfind("ttyS", 0) != 0) return false;
  std::ifstream type(entry / "type");
  int uartType = 0;
  return !(type >> uartType) || uartType == 0;
}

}  // namespace

std::optional<std::vector<PortEntry>> LinuxPortSource::readSystemPorts() {
  std::vector<PortEntry> ports;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(sysClassTty_, ec)) {
    // Only ttys backed by a device (a UART, a USB adapter) have a device link; consoles and
    // pseudo-terminals do not.
    if (!fs::exists(entry.path() / "device", ec)) continue;
    if (isPhantomLegacyPort(entry.path())) continue;
    const std::string name = entry.path().filename().string();
    ports.push_back({name, "/dev/" + name});
  }
  const bool sysfsUnreadable = static_cast<bool>(ec);

  std::error_code vec;
  for (const auto& entry : fs::directory_iterator(virtualFolder_, vec)) {
    std::error_code lec;
    if (!fs::is_symlink(entry.symlink_status(lec))) continue;
    if (!fs::exists(entry.path(), lec)) continue;  // the simulator ended without tidying up
    ports.push_back({entry.path().filename().string(), entry.path().string()});
  }
  if (sysfsUnreadable && ports.empty()) return std::nullopt;
  return ports;
}

}  // namespace lyra
