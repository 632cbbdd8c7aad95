#pragma once
// The one owner of what keeps a connection under watch: the status poll (Timer1, every 500 ms),
// the watchdog (intimer, 2 s without any received byte after a poll) and the port check (brocar1,
// every 3 s: has the chosen port left the system, or a network port's server closed its
// connection?); and of the port list's refresh while no port is open (refurbish, every 3 s).
//
// A connection is linked from the moment its port is opened for it until its disconnect. The
// poll and the SendPump run only while linked, and not while an operation has paused them:
//   pause()   a long operation (a slot load, a transfer, a save) stops the poll, the watchdog
//             and the pump;
//   resume()  starts the poll and the pump again, but only if the link is still up: a port that
//             left the system during the operation's wait or dialog was disconnected meanwhile,
//             and a search that holds the port by then is no connection either;
//   end()     stops everything for a disconnect.
// The SendPump holds the poll off while it sends a slot frame and lets it go 300 ms after the
// write; an operation's pause outlasts that release.

#include <functional>

#include "protocol/BusAddressing.h"
#include "protocol/SendPump.h"
#include "serial/PortList.h"
#include "serial/SerialLink.h"
#include "timing/TimerTable.h"

namespace lyra {

class LinkSupervisor final : public PollHold {
 public:
  LinkSupervisor(TimerTable& timers, SerialLink& link, SendPump& pump,
                 const BusAddressing& address, PortList& portList);
  LinkSupervisor(const LinkSupervisor&) = delete;
  LinkSupervisor& operator=(const LinkSupervisor&) = delete;

  // The port was opened for a connection (a handshake follows, or BroadcastMode's question).
  void begin();
  // The disconnect: poll, watchdog and pump stop, and nothing resumes them until the next begin.
  void end();
  bool linked() const { return linked_; }
  bool paused() const { return paused_; }

  void pause();
  // The poll and the pump, if linked; resumeSendsOnly() starts the pump alone (in BroadcastMode
  // the poll starts with the first slot write).
  void resume();
  void resumeSendsOnly();

  // Any received byte ends the watchdog's current wait.
  void heard();

  // The SendPump took a slot / wrote it 300 ms ago.
  void holdForSend() override;
  void releaseAfterSend() override;

  // A bus search walks the ports itself: the port check rests meanwhile, and so does the port
  // list's refresh (refurbish: every 3 s while no port is open, the list follows the system's).
  void holdPortCheck();
  void releasePortCheck();
  void holdPortListRefresh();
  void releasePortListRefresh();

  // What the view does when the watchdog or the port check ends the link (disconnect, then a
  // message). The watchdog never ends a BroadcastMode link: nothing answers there.
  std::function<void()> onInterrupted;
  std::function<void()> onPortLost;

 private:
  void Timer1Timer();
  void intimerTimer();
  void brocar1Timer();
  void startPollAndPump();

  TimerTable& timers_;
  SerialLink& link_;
  SendPump& pump_;
  const BusAddressing& address_;
  PortList& portList_;
  bool linked_ = false;
  bool paused_ = false;
};

}  // namespace lyra
