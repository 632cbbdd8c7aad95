#pragma once
// Connecting to one device (or, in BroadcastMode, to the whole bus) and disconnecting again,
// without any widget: the window's connect button and the command-line tool both drive it.
//
// start() opens the chosen port and either sends the handshake's read of the active preset or,
// in BroadcastMode, asks whether the same preset is selected on all devices. The handshake is
// driven by the replies: the block (within 1500 ms, after a first byte within 800 ms), then the
// names (within 2500 ms); with the names the link is up and the supervisor starts the poll and
// the SendPump. Every failure (no byte, no block, no names, the watchdog, the port check) is
// reported once: onFailed lets the owner disconnect, then the outcome goes to the front end.

#include <functional>
#include <string>

#include "reply/ReplyParser.h"
#include "protocol/BusAddressing.h"
#include "protocol/LinkSupervisor.h"
#include "protocol/SendPump.h"
#include "serial/PortList.h"
#include "serial/SerialLink.h"
#include "sessions/Outcome.h"
#include "timing/Scheduler.h"
#include "timing/TimerTable.h"

namespace lyra {

class ConnectSession {
 public:
  ConnectSession(Scheduler& scheduler, TimerTable& timers, SerialLink& link, SendPump& pump,
                 LinkSupervisor& supervisor, ReplyParser& parser, const BusAddressing& address,
                 WaitingFlags& flags, SessionEvents& events);

  enum class Started {
    NoPort,              // the port did not open; the outcome says why
    Handshake,           // the read of the active preset is out
    Broadcast,           // BroadcastMode, confirmed: no handshake, nothing answers
    BroadcastCancelled,  // the question was not answered Yes: the caller disconnects
    Lost,                // the link ended while the question was up (PortLost was reported)
  };
  // entry is the chosen port (nullptr: none); portNumber its number. beforeQuestion runs just
  // before the BroadcastMode question (the window fixes its lists then).
  Started start(const PortEntry* entry, int portNumber,
                const std::function<void()>& beforeQuestion = {});
  // Poll, watchdog and pump stop; 50 ms later the port closes.
  void end();

  bool linked() const { return supervisor_.linked(); }
  bool handshaking() const { return awaitingBlock_ || awaitingNames_; }

  // A failure ends the link: the owner disconnects here, before the outcome is reported.
  std::function<void()> onFailed;
  // The names are in: the connection is up (Linked is reported after it).
  std::function<void()> onLinkUp;

  // Why a port did not open, as an outcome kind.
  static OutcomeKind openFailureKind(SerialError error);

 private:
  void routeReplies(ReplyParser& parser);
  void fail(OutcomeKind kind);

  Scheduler& scheduler_;
  TimerTable& timers_;
  SerialLink& link_;
  SendPump& pump_;
  LinkSupervisor& supervisor_;
  const BusAddressing& address_;
  WaitingFlags& flags_;
  SessionEvents& events_;
  bool awaitingBlock_ = false;  // the handshake's read of the active preset is out
  bool awaitingNames_ = false;  // the NameTable read is out
};

}  // namespace lyra
