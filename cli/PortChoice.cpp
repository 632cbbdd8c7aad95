#include "cli/PortChoice.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "serial/NetworkAddress.h"
#include "serial/PortList.h"

namespace lyra::cli {

namespace fs = std::filesystem;

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// Two paths to one device: the same text, or the same file once links are followed.
bool SameDevice(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code ec1, ec2;
  const fs::path ca = fs::weakly_canonical(a, ec1);
  const fs::path cb = fs::weakly_canonical(b, ec2);
  return !ec1 && !ec2 && ca == cb;
}

std::string Known(const std::vector<PortEntry>& ports) {
  if (ports.empty()) return "there are no serial ports";
  std::string names;
  for (const PortEntry& p : ports) names += (names.empty() ? "" : ", ") + p.name;
  return "the ports are " + names;
}

}  // namespace

std::vector<PortEntry> ListPorts(PortSource& source) {
  PortList list(source);
  return list.readSystemPorts().value_or(std::vector<PortEntry>{});
}

std::variant<PortEntry, std::string> ResolvePort(std::string_view given, PortSource& source) {
  const std::vector<PortEntry> ports = ListPorts(source);
  const std::string text(given);
  // A port on the network is not in the list: its address is taken as given, once it is well
  // formed.
  if (isNetworkAddress(text)) {
    const auto address = parseNetworkAddress(text);
    if (const auto* why = std::get_if<std::string>(&address)) return *why;
    const std::string canonical = formatNetworkAddress(std::get<NetworkAddress>(address));
    return PortEntry{canonical, canonical};
  }
  if (text.find('/') != std::string::npos || text.find('\\') != std::string::npos) {
    for (const PortEntry& p : ports) {
      if (p.devicePath == text) return p;
    }
    for (const PortEntry& p : ports) {
      if (SameDevice(p.devicePath, text)) return p;
    }
    std::error_code ec;
    if (fs::exists(text, ec)) return PortEntry{fs::path(text).filename().string(), text};
    return text + ": no such device";
  }
  for (const PortEntry& p : ports) {
    if (p.name == text) return p;
  }
  const PortEntry* match = nullptr;
  int matches = 0;
  for (const PortEntry& p : ports) {
    if (SameIgnoringCase(p.name, text)) {
      match = &p;
      ++matches;
    }
  }
  if (matches == 1) return *match;
  return "no port " + text + " (" + Known(ports) + "; lyraphone-cli ports lists them)";
}

}  // namespace lyra::cli
