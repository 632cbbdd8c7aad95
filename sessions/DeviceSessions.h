#pragma once
// Every device session with what it runs on: the link, the pump, the supervisor, the parser, the
// connect session, the searches, the DeviceId change and the preset sessions over one image. This
// is the one place they are made and wired to each other. The window holds one and adds its views
// and editing; the command-line tool and the headless tests hold one each.

#include "preset/PresetImage.h"
#include "reply/ReplyParser.h"
#include "protocol/BusAddressing.h"
#include "sessions/ConnectSession.h"
#include "sessions/DeviceIdSession.h"
#include "protocol/LinkSupervisor.h"
#include "sessions/SearchSession.h"
#include "protocol/SendPump.h"
#include "serial/PortList.h"
#include "serial/SerialLink.h"
#include "sessions/GroupDataSession.h"
#include "sessions/Outcome.h"
#include "sessions/PresetExchange.h"
#include "sessions/PresetFileSession.h"
#include "sessions/PresetSlotSession.h"
#include "sessions/ReplyWiring.h"
#include "timing/Scheduler.h"
#include "timing/TimerTable.h"

namespace lyra {

struct DeviceSessions {
  // The system's ports are read into portList once here. events is the front end: it hears how
  // every operation ended, answers the questions and chooses the files.
  DeviceSessions(Scheduler& s, SerialDriver& driver, PortSource& ports, SessionEvents& e);
  // Stops every timer and closes the port (see stop()).
  ~DeviceSessions();
  DeviceSessions(const DeviceSessions&) = delete;
  DeviceSessions& operator=(const DeviceSessions&) = delete;

  // Timer handlers and the reader reach into the objects below, and into whatever an owner hooked
  // onto them: stops every timer and closes the port. An owner whose hooks die before this object
  // (the window's views) calls it first.
  void stop();

  Scheduler& scheduler;
  TimerTable timers;
  SerialLink link;
  BusAddressing address;
  SendPump pump{timers, link, address};
  PortList portList;
  LinkSupervisor supervisor{timers, link, pump, address, portList};
  PresetImage image;
  ReplyParser parser = WiredReplyParser(link, image, pump, supervisor);
  WaitingFlags flags;
  PresetTransfer transfer;
  SessionEvents& events;
  // What the preset sessions change in the window besides: its editing areas and controls.
  TransferView transferView;
  ConnectSession connectSession{scheduler, timers, link, pump, supervisor,
                                parser,    address, flags, events};
  // Set by Cancel, when the window closes, or when the tool is interrupted.
  bool searchCancelled = false;
  SearchSession searchSession{scheduler, link,  portList, pump,
                              supervisor, flags, parser,   searchCancelled, events};
  DeviceIdSession deviceIdSession{scheduler, timers, link,  pump,   supervisor,
                                  address,   flags,  image, parser, events};
  PresetExchange presetExchange{scheduler, timers,   link,     pump,  supervisor, parser,
                                address,   flags,    transfer, image, events,     transferView};
  PresetSlotSession presetSlots{presetExchange};
  PresetFileSession presetFiles{presetExchange};
  GroupDataSession groupData{presetExchange};
};

}  // namespace lyra
