#include "serial/PortList.h"

#include <algorithm>
#include <cctype>

#include "serial/DemoPort.h"

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
    std::stable_partition(ports->begin(), ports->end(),
                          [](const PortEntry& p) { return !isDemoPort(p); });
  }
  return ports;
}

void PortList::refill() {
  auto ports = readSystemPorts();
  if (!ports) return;
  entries_ = std::move(*ports);
  // The last system port, as ever: a user with an adapter is not put on the simulated bus.
  selected_ = static_cast<int>(entries_.size()) - 1;
  while (selected_ > 0 && isDemoPort(entries_[static_cast<size_t>(selected_)])) --selected_;
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

}  // namespace lyra
