#pragma once
// The preset box: loading one of the device's eight preset slots into its active preset, saving
// the active preset under a name into Usr6 or Usr7, the name field, and the two lists.
//
// Slots on the wire: Pre0..Pre5 = 1..6, Usr6 = 7, Usr7 = 8. A load pauses the poll and the
// SendPump and waits up to 12 s for the slot's block, which the reply parser decodes; a save
// writes the 32-byte name frame at once and shows "Successfully save." when the device
// acknowledges it.

#include <QObject>

#include "app/PresetExchange.h"
#include "timing/TimerTable.h"

namespace lyra {

class DevicePresets : public QObject {
 public:
  // How long a name save waits for its acknowledgement: far above the 50 ms the exchange takes on
  // the line, and below the link watchdog's 2 s, so a device that stopped answering altogether is
  // reported as a failed save before the watchdog disconnects.
  static constexpr int kSaveAckTimeoutMs = 1500;

  explicit DevicePresets(PresetExchange& exchange);

  void RzButton9Click();   // Load
  void RzButton10Click();  // Save
  void RzComboBox11Change();
  // The load and save lists and the name field from the image's NameTable.
  void showNames();

 protected:
  // The name field's keys, click and exit.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Timer3Timer();
  void Timer22Timer();
  void Timer11Timer();
  void saveAckTimeoutTimer();

  PresetExchange& x_;
  NamedTimer saveAckTimeout_;
  int loadProgressCount_ = 0;
  bool selectAllOnClick_ = true;  // re-armed whenever the name field is left
};

}  // namespace lyra
