#pragma once
// A bus with devices on it and the program's end of the line, in virtual time: a test writes
// request bytes as the program would and reads what comes back, each byte with its arrival time.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "protocol/CommandFrame.h"
#include "sim/DeviceModel.h"
#include "sim/SimBus.h"
#include "timing/VirtualScheduler.h"

namespace lyra::test {

inline std::string hexOf(const std::vector<std::uint8_t>& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  for (auto b : bytes) s += {digits[b >> 4], digits[b & 15]};
  return s;
}

inline std::vector<std::uint8_t> bytesOf(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

class DeviceBench : public ::testing::Test {
 protected:
  static constexpr const char* kPort = "COM3";

  void SetUp() override {
    bus.addPort(kPort);
    ASSERT_EQ(driver->open(kPort), SerialError::None);
    driver->watchReceived([this] {
      std::uint8_t b;
      while (driver->read(&b, 1) == 1) {
        received.push_back(b);
        arrivalUs.push_back(scheduler.nowUs());
      }
    });
  }

  DeviceModel& addDevice(int deviceId, std::uint32_t seed = 1) {
    devices.push_back(std::make_unique<DeviceModel>(bus, kPort, deviceId, seed));
    return *devices.back();
  }

  // Writes the bytes now; the bus carries them at 9600 baud.
  void send(const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(driver->writeAll(bytes), SerialError::None);
  }
  // Sends a request and lets a second of virtual time pass (enough for any reply), returning
  // what arrived.
  std::vector<std::uint8_t> ask(const std::vector<std::uint8_t>& request, int waitMs = 1000) {
    received.clear();
    arrivalUs.clear();
    send(request);
    scheduler.advanceMs(waitMs);
    return received;
  }
  std::vector<std::uint8_t> activeData() {
    auto reply = ask(readActivePreset(0x00));
    if (reply.size() != 332) return {};
    return {reply.begin() + 10, reply.begin() + 330};
  }

  VirtualScheduler scheduler;
  SimBus bus{scheduler};
  std::unique_ptr<SerialDriver> driver = bus.makeDriver();
  std::vector<std::unique_ptr<DeviceModel>> devices;
  std::vector<std::uint8_t> received;
  std::vector<std::int64_t> arrivalUs;
};

// A frame is well formed: preamble, declared length, checksum over bytes 3.., trailer.
inline ::testing::AssertionResult isWellFormed(const std::vector<std::uint8_t>& f) {
  if (f.size() < 12) return ::testing::AssertionFailure() << "only " << f.size() << " bytes";
  if (f[0] != 0xA5 || f[1] != 0xA5 || f[2] != 0xA5)
    return ::testing::AssertionFailure() << "no preamble: " << hexOf(f);
  const std::size_t length = static_cast<std::size_t>(f[8] << 8 | f[9]);
  if (f.size() != 12 + length)
    return ::testing::AssertionFailure() << f.size() << " bytes for length " << length;
  if (f[f.size() - 2] != xorOf(std::span(f).subspan(3, f.size() - 5)))
    return ::testing::AssertionFailure() << "bad checksum: " << hexOf(f);
  if (f.back() != 0xAA) return ::testing::AssertionFailure() << "no trailer: " << hexOf(f);
  return ::testing::AssertionSuccess();
}

}  // namespace lyra::test
