#pragma once
// The connect session with what it runs on, as DeviceSessions composes it (without the preset
// sessions), on the simulated bus's COM3 in virtual time, with a front end whose boxes keep the
// clock running. The session tests derive from it.

#include "sessions/ConnectSession.h"
#include "sessions/ReplyWiring.h"
#include "sim/SimBus.h"
#include "tests/support/ScriptedEvents.h"
#include "timing/VirtualScheduler.h"

namespace lyra::test {

struct ConnectStack {
  ConnectStack() {
    bus.addPort("COM3");
    portList.refill();
    events.scheduler = &scheduler;
    link.replyParser = [this] { parser.parseReplies(); };
  }
  ~ConnectStack() {
    timers.stopAll();
    link.closePort();
  }
  ConnectStack(const ConnectStack&) = delete;
  ConnectStack& operator=(const ConnectStack&) = delete;

  ConnectSession::Started start() {
    return session.start(portList.selectedEntry(), portList.selectedPortNumber());
  }

  VirtualScheduler scheduler;
  TimerTable timers{scheduler};
  SimBus bus{scheduler};
  std::unique_ptr<SerialDriver> driver = bus.makeDriver();
  std::unique_ptr<PortSource> ports = bus.makePortSource();
  SerialLink link{*driver, scheduler};
  PortList portList{*ports};
  BusAddressing address;
  SendPump pump{timers, link, address};
  LinkSupervisor supervisor{timers, link, pump, address, portList};
  PresetImage image;
  ReplyParser parser = WiredReplyParser(link, image, pump, supervisor);
  WaitingFlags flags;
  ScriptedEvents events;
  ConnectSession session{scheduler, timers, link, pump, supervisor, parser, address, flags, events};
};

}  // namespace lyra::test
