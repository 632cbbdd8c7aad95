#pragma once
// BroadcastMode and its "Broadcast\nMode" button (RzButton8).
//
// In BroadcastMode every frame carries BusAddress 0xFF: every device on the bus takes it and none
// answers. The connection area narrows to the port list, the connect button and this button; the
// PC-files-and-search area and the DeviceId list are hidden, since nothing can be read back and
// no single device is addressed. The button is green while the mode is on. The mode changes only
// while no port is open.

#include <QRect>

#include "protocol/Dialogs.h"
#include "app/WindowAreas.h"
#include "protocol/BusAddressing.h"
#include "serial/SerialLink.h"

namespace lyra {

class BroadcastSwitch {
 public:
  BroadcastSwitch(WindowAreas& areas, SerialLink& link, BusAddressing& address, Dialogs& dialogs);

  void RzButton8Click();

 private:
  // Where the controls that move sit; taken from the window's own layout at start.
  struct Placement {
    QRect area;        // GroupBox2, the connection and presets area
    QRect connect;     // Button3
    QRect picture;     // the connection picture
    QRect portList;    // RzComboBox1
    QRect modeButton;  // RzButton8
  };
  void place(const Placement& p);
  void switchOn();
  void switchOff();

  WindowAreas& a_;
  SerialLink& link_;
  BusAddressing& address_;
  Dialogs& dialogs_;
  Placement normal_;
  Placement broadcast_;
};

}  // namespace lyra
