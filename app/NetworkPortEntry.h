#pragma once
// The port list's last entry, "Network port...": asks for the address of a port on the network
// (rfc2217://HOST:PORT or tcp://HOST:PORT), checked as it is typed, and adds it to the list for
// this run, selected.

#include <QObject>

#include "protocol/Dialogs.h"
#include "serial/PortList.h"

namespace lyra {

inline constexpr const char* kNetworkPortItem = "Network port...";

// Whether the user gave an address; the list then holds it, selected.
bool askNetworkPort(Dialogs& dialogs, PortList& portList);

// Arrow keys, End, Page Down, a typed letter or the wheel on the closed port list move the
// selection; they stop at the last port instead of opening the address box on the way (a keyboard
// user pressing End to reach the last port would otherwise be asked for an address). The entry
// is chosen from the opened list: a click, or Alt+Down and Enter, as in the system's own lists.
class NetworkEntryGuard : public QObject {
 public:
  explicit NetworkEntryGuard(QWidget* portList);
  // True while the closed list handles a key or the wheel: a move onto the entry then stops at
  // the port before it.
  bool movingInClosedList() const { return moving_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool moving_ = false;
};

}  // namespace lyra
