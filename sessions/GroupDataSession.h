#pragma once
// Initial data for a group, without widgets: in BroadcastMode one preset goes to every device on
// the bus (BusAddress 0xFF), taken from a *.sps file or read from one chosen device. The upload
// goes out twice, since nothing on a broadcast is acknowledged.

#include <cstdint>
#include <string>
#include <vector>

#include "sessions/PresetExchange.h"

namespace lyra {

class GroupDataSession {
 public:
  explicit GroupDataSession(PresetExchange& exchange);

  // "From the computer into a group as the initial data": a file the front end chooses.
  void fromFile();
  // "OK": from the device with this DeviceId (1..255).
  void fromDevice(int deviceId);

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
  std::vector<std::string> groupList_;  // the lines of the chosen file
  int progressCount_ = 0;
  std::uint8_t sourceAddress_ = 0;
};

}  // namespace lyra
