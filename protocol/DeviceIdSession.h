#pragma once
// Giving the connected device a new DeviceId, without widgets.
//
// The new DeviceId travels in the SystemRecord (send slot 29) with the rest of the record as last
// read. The frame keeps the old BusAddress, since the device takes it under its old address;
// every frame after it goes to the new one. The device acknowledges, and 10 ms later (Timer2)
// "DeviceID change to " and the ID is shown. Without an acknowledgement nothing is shown.

#include <functional>

#include "preset/PresetImage.h"
#include "preset/ReplyParser.h"
#include "protocol/BusAddressing.h"
#include "protocol/Dialogs.h"
#include "protocol/SendPump.h"
#include "serial/SerialLink.h"
#include "timing/TimerTable.h"

namespace lyra {

class DeviceIdSession {
 public:
  static constexpr int kFirstDeviceId = 1;
  static constexpr int kLastDeviceId = 255;

  DeviceIdSession(TimerTable& timers, SerialLink& link, SendPump& pump, BusAddressing& address,
                  WaitingFlags& flags, const PresetImage& image, ReplyParser& parser,
                  Dialogs& dialogs);

  // id 1..255, checked by the caller; nothing without a port.
  void change(int id);
  // Outside BroadcastMode the program follows the device to its new ID (the window's list).
  std::function<void(int deviceId)> onFollowed;
  // The device took it ("DeviceID change to " n is shown then).
  std::function<void(int deviceId)> onAcknowledged;

 private:
  void systemRecordWrite();

  TimerTable& timers_;
  SerialLink& link_;
  SendPump& pump_;
  BusAddressing& address_;
  WaitingFlags& flags_;
  const PresetImage& image_;
  Dialogs& dialogs_;
};

}  // namespace lyra
