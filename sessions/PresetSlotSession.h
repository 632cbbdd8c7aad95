#pragma once
// The device's eight preset slots, without widgets: loading one into the active preset and saving
// the active preset's name into Usr6 or Usr7.
//
// Slots on the wire: Pre0..Pre5 = 1..6, Usr6 = 7, Usr7 = 8. A load pauses the poll and the
// SendPump and waits up to 12 s for the slot's block, which the reply parser decodes; a save
// writes the 32-byte name frame at once and reports Saved when the device acknowledges it.

#include <string>

#include "sessions/PresetExchange.h"
#include "timing/TimerTable.h"

namespace lyra {

class PresetSlotSession {
 public:
  // How long a name save waits for its acknowledgement: far above the 50 ms the exchange takes on
  // the line, and below the link watchdog's 2 s, so a device that stopped answering altogether is
  // reported as a failed save before the watchdog disconnects.
  static constexpr int kSaveAckTimeoutMs = 1500;
  static constexpr int kFirstUserSlot = 7;  // Usr6 on the wire; Usr7 is 8

  explicit PresetSlotSession(PresetExchange& exchange);

  // Slot 1..8, after the user's Yes; nothing without a port.
  void load(int slot);
  // Slot 7 or 8; name as its bytes, at most 19 of them go out. Nothing without a port.
  void saveName(int slot, const std::string& name);

 private:
  void Timer3Timer();
  void Timer22Timer();
  void Timer11Timer();
  void saveAckTimeoutTimer();

  PresetExchange& x_;
  NamedTimer saveAckTimeout_;
  int loadProgressCount_ = 0;
};

}  // namespace lyra
