#pragma once
// Giving the connected device a new DeviceId, without widgets.
//
// The new DeviceId travels in the SystemRecord (send slot 29) with the rest of the record as last
// read. The frame keeps the old BusAddress, since the device takes it under its old address;
// every frame after it goes to the new one. The device acknowledges, and 10 ms later (Timer2)
// "DeviceID change to " and the ID is shown. Without an acknowledgement nothing is shown.
//
// Two devices on one DeviceId answer every frame at once and neither can be reached any more, so
// the new DeviceId is probed first: one status poll with its usual wait. A device that answers
// there refuses the change ("DeviceId N is already in use on this bus."), unless it is forced.

#include <functional>

#include <string>

#include "preset/PresetImage.h"
#include "reply/ReplyParser.h"
#include "protocol/BusAddressing.h"
#include "protocol/Dialogs.h"
#include "protocol/LinkSupervisor.h"
#include "protocol/SendPump.h"
#include "serial/SerialLink.h"
#include "timing/Scheduler.h"
#include "timing/TimerTable.h"

namespace lyra {

class DeviceIdSession {
 public:
  static constexpr int kFirstDeviceId = 1;
  static constexpr int kLastDeviceId = 255;

  // The probe of the new DeviceId waits as long as the status poll's interval: a device answers
  // a poll before the next one is due.
  static constexpr int kProbeWaitMs = 500;
  static constexpr std::size_t kStatusReplyBytes = 20;
  static std::string inUseText(int id) {
    return "DeviceId " + std::to_string(id) + " is already in use on this bus.";
  }

  DeviceIdSession(Scheduler& scheduler, TimerTable& timers, SerialLink& link, SendPump& pump,
                  LinkSupervisor& supervisor, BusAddressing& address, WaitingFlags& flags,
                  const PresetImage& image, ReplyParser& parser, Dialogs& dialogs);

  enum class Outcome {
    Sent,     // the SystemRecord is queued; the acknowledgement shows the new DeviceId
    InUse,    // a device answered at the new DeviceId: nothing sent, the message shown
    NoLink,   // no port (or it left during the probe), or a probe still running
  };
  // id 1..255, checked by the caller. Unless force is set, the new DeviceId is probed first
  // (not in BroadcastMode, where no one answers, nor for the current DeviceId).
  Outcome change(int id, bool force = false);
  // Outside BroadcastMode the program follows the device to its new ID (the window's list).
  std::function<void(int deviceId)> onFollowed;
  // The device took it ("DeviceID change to " n is shown then).
  std::function<void(int deviceId)> onAcknowledged;

 private:
  void systemRecordWrite();
  // One status poll to address and its wait; true when a whole reply from that address came.
  bool answersAt(std::uint8_t address);

  Scheduler& scheduler_;
  TimerTable& timers_;
  SerialLink& link_;
  SendPump& pump_;
  LinkSupervisor& supervisor_;
  int probedAddress_ = -1;  // while a probe waits
  bool probeAnswered_ = false;
  BusAddressing& address_;
  WaitingFlags& flags_;
  const PresetImage& image_;
  Dialogs& dialogs_;
};

}  // namespace lyra
