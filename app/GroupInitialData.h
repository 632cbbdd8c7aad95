#pragma once
// The initial-data box of a BroadcastMode connection: one preset goes to every device on the bus
// (BusAddress 0xFF), taken from a *.sps file or read from one chosen device. The upload goes out
// twice, since nothing on a broadcast is acknowledged; the box's close button disconnects.

#include <QObject>

#include "app/PcFiles.h"
#include "app/PresetExchange.h"

namespace lyra {

class GroupInitialData : public QObject {
 public:
  GroupInitialData(PresetExchange& exchange, PcFiles& files);

  void Button11Click();  // "From the computer into a group as the initial data"
  void Button10Click();  // "OK": from the device whose ID the field holds

 protected:
  // The ID field takes digits, Backspace and Enter (which does what "OK" does).
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Timer342Timer();
  void Timer333Timer();
  void Timer332Timer();
  void trunon1Timer();
  // Two polls to wake the group, then the upload twice, then the decode; secondGapMs is the pause
  // between the second header and its data.
  void uploadToGroup(int secondGapMs);
  void showProgressStart();
  void endProgress();

  PresetExchange& x_;
  PcFiles& files_;
  std::vector<std::string> groupList_;  // the lines of the chosen file
  int progressCount_ = 0;
  int acceptedSourceId_ = 1;  // the field's last accepted DeviceId
  std::uint8_t sourceAddress_ = 0;
};

}  // namespace lyra
