// The Win32 driver against lyraphone-sim under Wine, as a user on Windows would meet a device:
// sim_runner starts the simulator (built for the build machine) on a pseudo-terminal before this
// program runs, and the prefix script declares the simulator's ttySIM link as COM LYRA_SIM_PORT.
// One connection, through SerialLink with its real reader thread: the port listed, opened, a
// status poll and a read of the active preset for DeviceId 1, and a close.
//
// The clock the notifications are posted on is virtual; only the bytes move in real time, and the
// test waits on them by event (a post from the reader thread) with a bounded real-time limit.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "serial/PortList.h"
#include "serial/RegistryPortSource.h"
#include "serial/SerialLink.h"
#include "serial/Win32SerialDriver.h"
#include "sim/DeviceMemory.h"
#include "timing/VirtualScheduler.h"

namespace lyra {
namespace {

using namespace std::chrono_literals;

const std::string kPortName = "COM" + std::to_string(LYRA_SIM_PORT);

std::string hexOf(const std::uint8_t* bytes, std::size_t count) {
  static const char* d = "0123456789ABCDEF";
  std::string s;
  for (std::size_t i = 0; i < count; ++i) s += {d[bytes[i] >> 4], d[bytes[i] & 15]};
  return s;
}

// A reply as hex text is well formed when it has the preamble, the end byte, and a check byte
// that is the XOR of the bytes between them.
::testing::AssertionResult wellFormed(const std::string& hex) {
  if (hex.size() < 12 || hex.size() % 2 != 0 || hex.rfind("A5A5A5", 0) != 0 ||
      hex.substr(hex.size() - 2) != "AA")
    return ::testing::AssertionFailure() << hex << " is not framed";
  unsigned check = 0;
  for (std::size_t i = 6; i + 4 < hex.size(); i += 2)
    check ^= std::stoul(hex.substr(i, 2), nullptr, 16);
  if (check != std::stoul(hex.substr(hex.size() - 4, 2), nullptr, 16))
    return ::testing::AssertionFailure() << hex << " has a wrong check byte";
  return ::testing::AssertionSuccess();
}

class Win32Simulator : public ::testing::Test {
 protected:
  // Sends a request and lets notifications run until `chars` characters of reply came in or the
  // reader goes quiet; returns the reply as hex text.
  std::string ask(std::vector<std::uint8_t> request, std::size_t chars) {
    link.ReceiveText.clear();
    link.TransmitBuffer = std::move(request);
    link.write();
    EXPECT_FALSE(link.isDead()) << link.lastErrorText();
    while (link.ReceiveText.size() < chars && scheduler.waitForPost(3s))
      scheduler.advanceMs(SerialLink::kBurstGroupingMs);
    return link.ReceiveText;
  }

  VirtualScheduler scheduler;
  Win32SerialDriver driver;
  SerialLink link{driver, scheduler};
  RegistryPortSource systemPorts;
  PortList list{systemPorts};
};

TEST_F(Win32Simulator, TheListedPortOpensAnswersAStatusPollAndTheActivePresetAndCloses) {
  list.refill();
  const PortEntry* entry = list.entryForNumber(LYRA_SIM_PORT);
  ASSERT_NE(entry, nullptr) << kPortName << " is not in the system's port map";
  EXPECT_EQ(entry->name, kPortName);
  ASSERT_EQ(entry->devicePath, win32DeviceName(LYRA_SIM_PORT));

  ASSERT_TRUE(link.openPort(entry->devicePath)) << link.lastErrorText();
  link.startReader();

  const std::string status =
      ask({0xA5, 0xA5, 0xA5, 0x00, 0xA2, 0x00, 0x2B, 0x00, 0x00, 0x00, 0x89, 0xAA}, 40);
  ASSERT_EQ(status.size(), 40u) << status;
  EXPECT_EQ(status.substr(0, 20), "A5A5A50052002B000008");
  EXPECT_TRUE(wellFormed(status));

  // The device leaves the factory with the flat preset active; its 320 bytes must arrive as the
  // simulator holds them, with nothing translated on the way through Wine's serial code.
  const std::string preset =
      ask({0xA5, 0xA5, 0xA5, 0x00, 0xA2, 0x00, 0x28, 0x00, 0x00, 0x00, 0x8A, 0xAA}, 2 * 332);
  ASSERT_EQ(preset.size(), 2u * 332u) << preset;
  EXPECT_EQ(preset.substr(0, 20), "A5A5A500520028000140");
  EXPECT_EQ(preset.substr(20, 640), hexOf(DeviceMemory::flatPreset().data(), kPresetDataBytes));
  EXPECT_TRUE(wellFormed(preset));

  link.closePort();
  EXPECT_FALSE(link.PortOpen());
  EXPECT_FALSE(link.isDead());
}

}  // namespace
}  // namespace lyra
