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

namespace lyra {

class DevicePresets : public QObject {
 public:
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

  PresetExchange& x_;
  int loadProgressCount_ = 0;
  bool selectAllOnClick_ = true;  // re-armed whenever the name field is left
};

}  // namespace lyra
