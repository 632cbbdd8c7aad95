#pragma once
// Every device session with what it runs on, without a window: the link, the pump, the
// supervisor, the parser, the connect session and the preset sessions over one image. The
// command-line tool and the headless tests talk to devices through this; the window composes the
// same objects itself, beside its widgets.

#include "preset/PresetImage.h"
#include "preset/ReplyParser.h"
#include "protocol/BusAddressing.h"
#include "protocol/ConnectSession.h"
#include "protocol/DeviceIdSession.h"
#include "protocol/SearchSession.h"
#include "protocol/Dialogs.h"
#include "protocol/LinkSupervisor.h"
#include "protocol/SendPump.h"
#include "serial/PortList.h"
#include "serial/SerialLink.h"
#include "storage/GroupDataSession.h"
#include "storage/PresetExchange.h"
#include "storage/PresetFileSession.h"
#include "storage/PresetSlotSession.h"
#include "timing/Scheduler.h"
#include "timing/TimerTable.h"

namespace lyra {

struct DeviceSessions {
  DeviceSessions(Scheduler& s, SerialDriver& driver, PortSource& ports, Dialogs& d)
      : scheduler(s), timers(s), link(driver, s), portList(ports), dialogs(d) {
    link.replyParser = [this] { parser.parseReplies(); };
    portList.refill();
  }
  ~DeviceSessions() {
    // Timer handlers and the reader reach into the objects below; stop them first.
    timers.stopAll();
    link.closePort();
  }
  DeviceSessions(const DeviceSessions&) = delete;
  DeviceSessions& operator=(const DeviceSessions&) = delete;

  Scheduler& scheduler;
  TimerTable timers;
  SerialLink link;
  BusAddressing address;
  SendPump pump{timers, link, address};
  PortList portList;
  LinkSupervisor supervisor{timers, link, pump, address, portList};
  PresetImage image;
  ReplyParser parser{link, image, pump, supervisor};
  WaitingFlags flags;
  PresetTransfer transfer;
  Dialogs& dialogs;
  TransferView view;
  ConnectSession connection{scheduler, timers, link, pump, supervisor,
                            parser,    address, flags, dialogs};
  bool searchCancelled = false;
  SearchSession search{scheduler, timers, link,   portList,        pump,
                       supervisor, flags, parser, searchCancelled};
  DeviceIdSession deviceId{scheduler, timers, link,  pump,   supervisor,
                           address,   flags,  image, parser, dialogs};
  PresetExchange exchange{scheduler, timers,   link,  pump,    supervisor, parser,
                          address,   flags,    transfer, image, dialogs,    view};
  PresetSlotSession slots{exchange};
  PresetFileSession files{exchange};
  GroupDataSession group{exchange};
};

}  // namespace lyra
