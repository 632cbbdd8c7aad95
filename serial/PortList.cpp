#include "serial/PortList.h"

#include <algorithm>
#include <cctype>

#include <functional>

#include "serial/DemoPort.h"
#include "serial/NetworkAddress.h"

namespace lyra {

std::optional<int> comPortNumber(const std::string& name) {
  if (name.size() < 4 || name.size() > 10) return std::nullopt;
  for (size_t i = 0; i < 3; ++i)
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return std::nullopt;
  int n = 0;
  for (size_t i = 3; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return std::nullopt;
    n = n * 10 + (name[i] - '0');
  }
  return n;
}

namespace {

bool lessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::optional<std::vector<PortEntry>> PortList::readSystemPorts() {
  auto ports = source_.readSystemPorts();
  if (ports) {
    std::stable_sort(ports->begin(), ports->end(), [](const PortEntry& a, const PortEntry& b) {
      return lessIgnoringCase(a.name, b.name);
    });
    const auto demo = std::stable_partition(ports->begin(), ports->end(),
                                            [](const PortEntry& p) { return !isDemoPort(p); });
    ports->insert(demo, networkPorts_.begin(), networkPorts_.end());
  }
  return ports;
}

void PortList::refill() {
  auto ports = readSystemPorts();
  if (!ports) return;
  entries_ = std::move(*ports);
  // The last system port, as ever: a user with an adapter is not put on the simulated bus, nor
  // on a network port he gave earlier; failing one, the last network port, then Demo.
  auto lastWhere = [this](const std::function<bool(const PortEntry&)>& fits) {
    for (int i = static_cast<int>(entries_.size()) - 1; i >= 0; --i)
      if (fits(entries_[static_cast<size_t>(i)])) return i;
    return -1;
  };
  selected_ = lastWhere([](const PortEntry& p) { return !isDemoPort(p) && !isNetworkAddress(p.devicePath); });
  if (selected_ < 0) selected_ = lastWhere([](const PortEntry& p) { return !isDemoPort(p); });
  if (selected_ < 0) selected_ = static_cast<int>(entries_.size()) - 1;
  numbers_.resize(entries_.size());
  for (size_t i = 0; i < entries_.size(); ++i)
    numbers_[i] = comPortNumber(entries_[i].name).value_or(kFirstNamedPortNumber + static_cast<int>(i));
  if (onRefilled) onRefilled();
}

bool PortList::refreshTick(bool portOpen) {
  if (portOpen) return false;
  auto ports = readSystemPorts();
  if (!ports || *ports == entries_) return false;
  refill();
  return true;
}

void PortList::select(int index) {
  if (index >= 0 && index < static_cast<int>(entries_.size())) selected_ = index;
}

const PortEntry* PortList::selectedEntry() const {
  return selected_ >= 0 ? &entries_[static_cast<size_t>(selected_)] : nullptr;
}

bool PortList::hasSystemPort() const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [](const PortEntry& p) { return !isDemoPort(p); });
}

int PortList::selectedPortNumber() const {
  return selected_ >= 0 ? numbers_[static_cast<size_t>(selected_)] : -1;
}

const PortEntry* PortList::entryForNumber(int portNumber) const {
  for (size_t i = 0; i < numbers_.size(); ++i)
    if (numbers_[i] == portNumber) return &entries_[i];
  return nullptr;
}

void PortList::addNetworkPort(const PortEntry& entry) {
  if (std::find(networkPorts_.begin(), networkPorts_.end(), entry) == networkPorts_.end())
    networkPorts_.push_back(entry);
  refill();
  const auto at = std::find(entries_.begin(), entries_.end(), entry);
  if (at == entries_.end()) return;  // the system's list could not be read: the next refill
  select(static_cast<int>(at - entries_.begin()));
  if (onRefilled) onRefilled();
}

}  // namespace lyra
