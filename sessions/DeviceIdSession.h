#pragma once
// Giving the connected device a new DeviceId, without widgets.
//
// The new DeviceId travels in the SystemRecord (send slot 29) with the rest of the record as last
// read. The frame keeps the old BusAddress, since the device takes it under its old address;
// every frame after it goes to the new one. The device acknowledges, and 10 ms later (Timer2)
// Acknowledged is reported with the ID. Without an acknowledgement nothing is reported.
//
// Two devices on one DeviceId answer every frame at once and neither can be reached any more, so
// the new DeviceId is probed first: one status poll with its usual wait. A device that answers
// there refuses the change (DeviceIdInUse), unless it is forced.

#include <functional>

#include <string>

#include "preset/PresetImage.h"
#include "reply/ReplyParser.h"
#include "protocol/BusAddressing.h"
#include "protocol/LinkSupervisor.h"
#include "protocol/SendPump.h"
#include "serial/SerialLink.h"
#include "sessions/Outcome.h"
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

  DeviceIdSession(Scheduler& scheduler, TimerTable& timers, SerialLink& link, SendPump& pump,
                  LinkSupervisor& supervisor, BusAddressing& address, WaitingFlags& flags,
                  const PresetImage& image, ReplyParser& parser, SessionEvents& events);

  // What change() did at once; how the change ended is reported as an outcome.
  enum class Change {
    Sent,     // the SystemRecord is queued; its acknowledgement is reported as Acknowledged
    InUse,    // a device answered at the new DeviceId: nothing sent, DeviceIdInUse reported
    NoLink,   // no port (or it left during the probe), or a probe still running: NoLink
  };
  // id 1..255, checked by the caller. Unless force is set, the new DeviceId is probed first
  // (not in BroadcastMode, where no one answers, nor for the current DeviceId).
  Change change(int id, bool force = false);
  // Outside BroadcastMode the program follows the device to its new ID (the window's list).
  std::function<void(int deviceId)> onFollowed;

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
  SessionEvents& events_;
};

}  // namespace lyra
