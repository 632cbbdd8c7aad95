#pragma once
// The preset box: the Load and Save buttons (the preset slot session does the work), the name
// field, and the two lists.

#include <QObject>

#include "app/WindowAreas.h"
#include "sessions/PresetSlotSession.h"

namespace lyra {

class DevicePresets : public QObject {
 public:
  // How long a name save waits for its acknowledgement.
  static constexpr int kSaveAckTimeoutMs = PresetSlotSession::kSaveAckTimeoutMs;

  DevicePresets(WindowAreas& areas, PresetExchange& exchange, PresetSlotSession& session);

  void RzButton9Click();   // Load
  void RzButton10Click();  // Save
  void RzComboBox11Change();
  // The load and save lists and the name field from the image's NameTable.
  void showNames();

 protected:
  // The name field's keys, click and exit.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  WindowAreas& a_;
  PresetExchange& x_;
  PresetSlotSession& session_;
  bool selectAllOnClick_ = true;  // re-armed whenever the name field is left
};

}  // namespace lyra
