#pragma once
// One button connects the program to one device (or, in BroadcastMode, to the whole bus) and
// disconnects it again. Connecting opens the chosen port and asks for the active preset; the
// reply parser then drives the handshake (block, names, system record). Afterwards a status poll
// every 500 ms must be answered within 2 s, and a port check every 3 s notices a port that left
// the system. Every failure ends in the same disconnect, then a message.

#include <functional>
#include <string>

#include "app/Dialogs.h"
#include "app/WindowAreas.h"
#include "preset/ReplyParser.h"
#include "protocol/BusAddressing.h"
#include "protocol/LinkSupervisor.h"
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

  Connection(WindowAreas& areas, Scheduler& scheduler, TimerTable& timers, SerialLink& link,
             PortList& portList, SendPump& pump, LinkSupervisor& supervisor, ReplyParser& parser,
             const BusAddressing& address, WaitingFlags& flags, Dialogs& dialogs);

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
  void disconnectWith(const std::string& message, const std::string& detail = {});
  void setCaption(const char* caption);
  void Timer13Timer();
  // The handshake's replies: the block, then the names.
  void routeReplies(ReplyParser& parser);
  std::string openFailureDetail() const;

  WindowAreas& a_;
  Scheduler& scheduler_;
  TimerTable& timers_;
  SerialLink& link_;
  PortList& portList_;
  SendPump& pump_;
  LinkSupervisor& supervisor_;
  const BusAddressing& address_;
  WaitingFlags& flags_;
  Dialogs& dialogs_;
  bool awaitingBlock_ = false;  // the handshake's read of the active preset is out
};

}  // namespace lyra
