#pragma once
// Giving the connected device a new DeviceId: the set-ID field ("Set device ID :") and its "OK".
//
// The new DeviceId travels in the SystemRecord (send slot 29) with the rest of the record as last
// read. The frame keeps the old BusAddress, since the device takes it under its old address;
// every frame after it goes to the new one. The device acknowledges, and 10 ms later (Timer2) the
// window says so. Without an acknowledgement nothing is shown.

#include "protocol/Dialogs.h"
#include "app/WindowAreas.h"
#include "preset/PresetImage.h"
#include "preset/ReplyParser.h"
#include "protocol/BusAddressing.h"
#include "protocol/SendPump.h"
#include "serial/SerialLink.h"
#include "timing/TimerTable.h"

namespace lyra {

class DeviceIdentity {
 public:
  DeviceIdentity(WindowAreas& areas, TimerTable& timers, SerialLink& link, SendPump& pump,
                 BusAddressing& address, WaitingFlags& flags, const PresetImage& image,
                 ReplyParser& parser, Dialogs& dialogs);

  // "OK", or Enter in the set-ID field.
  void Button1Click();
  // Queues the SystemRecord with the current DeviceId in slot 29 (only while a port is open) and,
  // outside BroadcastMode, moves BusAddress and the DeviceId list to the new DeviceId.
  void systemRecordWrite();

 private:
  void Timer2Timer();

  WindowAreas& a_;
  TimerTable& timers_;
  SerialLink& link_;
  SendPump& pump_;
  BusAddressing& address_;
  WaitingFlags& flags_;
  const PresetImage& image_;
  Dialogs& dialogs_;
};

}  // namespace lyra
