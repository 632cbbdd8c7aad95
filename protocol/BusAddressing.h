#pragma once
// Who the program talks to: the user's DeviceId (1..255) and the BusAddress that frames carry,
// DeviceId - 1, or 0xFF in BroadcastMode, when every device takes the frame and none answers.

#include <cstdint>

#include "protocol/CommandFrame.h"

namespace lyra {

struct BusAddressing {
  int DeviceId = 1;
  std::uint8_t BusAddress = 0x00;
  bool BroadcastMode = false;

  bool isBroadcast() const { return BusAddress == kBroadcastAddress; }
  static std::uint8_t busAddressOf(int deviceId) {
    return static_cast<std::uint8_t>(deviceId - 1);
  }
};

}  // namespace lyra
