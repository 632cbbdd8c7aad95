#pragma once
// The port list of the connection area: the system's serial ports, sorted, the last one selected,
// then the ports on the network the user added in this run,
// with one port number per entry. It is refreshed every 3 s while no port is open and frozen while
// one is. The Demo entry (serial/DemoPort.h), where the source gives one, stays after the system's
// ports and is selected only when there is no other.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "serial/PortSource.h"

namespace lyra {

class PortList {
 public:
  explicit PortList(PortSource& source) : source_(source) {}

  // The system's ports sorted as case-insensitive text ("COM1", "COM10", "COM2"), then Demo;
  // nothing when the system's list cannot be read.
  std::optional<std::vector<PortEntry>> readSystemPorts();
  // Reads the system's ports into the list, selects the last system port (Demo when there is
  // none) and rebuilds the numbers.
  // A list that cannot be read leaves everything as it was.
  void refill();
  // The refresh tick: while no port is open, refills when the system's ports differ from the
  // list. Returns whether it refilled.
  bool refreshTick(bool portOpen);

  const std::vector<PortEntry>& entries() const { return entries_; }
  int selectedIndex() const { return selected_; }  // -1 when the list is empty
  void select(int index);
  const PortEntry* selectedEntry() const;
  // Whether the list holds a port of the system's, not only Demo.
  bool hasSystemPort() const;
  // One number per entry: the number after "COM" for names of that form ("COM12" -> 12). Other
  // names (ttyUSB0, ttySIM0) have no number of their own; they get kFirstNamedPortNumber plus
  // their position, unique in the list and apart from every COM number.
  const std::vector<int>& portNumbers() const { return numbers_; }
  int selectedPortNumber() const;
  // The entry a port number stands for, for texts that name a port; nullptr if none.
  const PortEntry* entryForNumber(int portNumber) const;
  // A port on the network the user gave, for this run: listed after the system's ports and
  // before Demo whatever the system's list does, and selected. One given again is selected.
  void addNetworkPort(const PortEntry& entry);

  std::function<void()> onRefilled;  // the window shows the new entries and selection

 private:
  PortSource& source_;
  std::vector<PortEntry> entries_;
  std::vector<PortEntry> networkPorts_;
  std::vector<int> numbers_;
  int selected_ = -1;
};

// Port numbers of entries whose names are not "COM" n.
inline constexpr int kFirstNamedPortNumber = 100000;

// The number in a "COM" n name (the prefix in any case); nothing for a name of another form.
std::optional<int> comPortNumber(const std::string& name);

}  // namespace lyra
