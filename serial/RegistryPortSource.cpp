#include "serial/RegistryPortSource.h"

#include <windows.h>

#include "serial/PortList.h"
#include "serial/Win32SerialDriver.h"

namespace lyra {

std::string devicePathForPortName(const std::string& name) {
  // The number is read the port list's way (the text after the first three characters), so the
  // list's port number and the path it opens always agree.
  if (name.rfind("COM", 0) == 0) {
    if (auto n = comPortNumber(name); n && *n > 0) return win32DeviceName(*n);
  }
  return "//./" + name;
}

RegistryPortSource::RegistryPortSource(std::string subKey, bool currentUser)
    : subKey_(std::move(subKey)), currentUser_(currentUser) {}

std::optional<std::vector<PortEntry>> RegistryPortSource::readSystemPorts() {
  HKEY key = nullptr;
  const LSTATUS opened = ::RegOpenKeyExA(currentUser_ ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE,
                                         subKey_.c_str(), 0, KEY_READ, &key);
  // Windows creates the map when the first serial driver starts and removes its values as
  // ports go; no key means no ports right now, not an unreadable list, so that the last adapter
  // pulled leaves the list too.
  if (opened == ERROR_FILE_NOT_FOUND) return std::vector<PortEntry>{};
  if (opened != ERROR_SUCCESS) return std::nullopt;

  std::vector<PortEntry> ports;
  bool complete = false;
  for (DWORD index = 0;; ++index) {
    char valueName[256];
    DWORD nameChars = sizeof valueName;
    BYTE data[256];
    DWORD dataBytes = sizeof data;
    DWORD type = 0;
    const LSTATUS got =
        ::RegEnumValueA(key, index, valueName, &nameChars, nullptr, &type, data, &dataBytes);
    if (got == ERROR_NO_MORE_ITEMS) {
      complete = true;
      break;
    }
    // A value too long for the buffers is not a port name we could open; skip it rather than
    // lose every other port with it.
    if (got == ERROR_MORE_DATA) continue;
    if (got != ERROR_SUCCESS) break;
    if (type != REG_SZ) continue;
    // The data is text up to its terminating zero, which the registry does not promise.
    std::string name(reinterpret_cast<const char*>(data), dataBytes);
    name.resize(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
    if (!name.empty()) ports.push_back({name, devicePathForPortName(name)});
  }
  ::RegCloseKey(key);
  if (!complete) return std::nullopt;
  return ports;
}

}  // namespace lyra
