#pragma once
// The connect button and what shows the connection: its caption (the state as the rest of the
// window reads it), status panel 1, the lamp, and the areas a connect or disconnect shows, hides,
// enables or fixes. The handshake, its time-outs and the link's watch are the ConnectSession's;
// every failure it reports ends in the same disconnect here, then the session reports its outcome.

#include <functional>
#include <string>

#include "app/WindowAreas.h"
#include "reply/ReplyParser.h"
#include "protocol/BusAddressing.h"
#include "sessions/ConnectSession.h"
#include "protocol/SendPump.h"
#include "serial/PortList.h"
#include "serial/SerialLink.h"
#include "timing/Scheduler.h"
#include "timing/TimerTable.h"

namespace lyra {

class Connection {
 public:
  static constexpr const char* kConnect = "Connect";
  static constexpr const char* kDisconnect = "Disconnect";
  // On the demo bus the title and status panel 1 say that the devices are simulated.
  static constexpr const char* kTitle = "LYRAPHONE";
  static constexpr const char* kDemoTitle = "LYRAPHONE - Demo: simulated devices, no hardware";
  static constexpr const char* kDemoStatusSuffix = " (simulated)";

  Connection(WindowAreas& areas, TimerTable& timers, SerialLink& link, PortList& portList,
             ConnectSession& session);

  // The connection state is the button's caption: "Connect" while disconnected.
  bool connected() const;
  void Button3Click();
  // The initial-data box's close button: whatever the caption says, the button's disconnect runs.
  void disconnectNow();

  // Enables or disables the editing group boxes (the connection and preset area, the PC files
  // area, the graph and the editing pages) with the File and Help menus.
  void setEditingEnabled(bool enabled);

  // Runs on connect, for state owned elsewhere that a connect resets ("Filters reset" progress).
  std::function<void()> onConnectReset;

 private:
  void connect();
  void disconnect();
  void disconnectOnFailure();
  void setCaption(const char* caption);
  void showSimulated(bool simulated);
  void Timer13Timer();

  WindowAreas& a_;
  TimerTable& timers_;
  SerialLink& link_;
  PortList& portList_;
  ConnectSession& session_;
};

}  // namespace lyra
