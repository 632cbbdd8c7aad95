// SerialLink over the Win32 driver, under Wine, on pseudo-terminals that Wine's registry declares
// as COM ports (HKLM\Software\Wine\Ports), so that they also appear in the system's serial-port
// map. pty_harness plays the far end: COM1, COM9 and COM10 send back every byte they receive at
// once, COM2 a tenth of a second later (by then the reader is surely waiting in WaitCommEvent, as
// it is for a device's reply); COM3 is pulled out like a USB adapter on the first byte it receives.
//
// The clock the notifications are posted on is virtual; only the bytes move in real time, and the
// test waits on them by event (a post from the reader thread) with a bounded real-time limit.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <future>
#include <numeric>
#include <string>
#include <thread>

#include "serial/PortList.h"
#include "serial/RegistryPortSource.h"
#include "serial/SerialLink.h"
#include "serial/Win32SerialDriver.h"
#include "timing/VirtualScheduler.h"

namespace lyra {
namespace {

using namespace std::chrono_literals;

std::string hexOf(const std::vector<std::uint8_t>& bytes) {
  static const char* d = "0123456789ABCDEF";
  std::string s;
  for (auto b : bytes) s += {d[b >> 4], d[b & 15]};
  return s;
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

class WinePorts : public ::testing::Test {
 protected:
  void SetUp() override {
    link.replyParser = [this] { ++parserCalls; };
    list.refill();
  }
  std::string pathOf(int portNumber) {
    const PortEntry* entry = list.entryForNumber(portNumber);
    return entry ? entry->devicePath : "(COM" + std::to_string(portNumber) + " is not listed)";
  }
  // Lets notifications run until ReceiveText holds `chars` characters or the reader goes quiet.
  void pumpUntil(size_t chars) {
    while (link.ReceiveText.size() < chars && scheduler.waitForPost(2s)) {
      scheduler.advanceMs(SerialLink::kBurstGroupingMs);
    }
  }
  // Waits until the driver reports at least n bytes queued, or two seconds pass.
  int waitQueued(int n) {
    const auto limit = std::chrono::steady_clock::now() + 2s;
    int queued = driver.queuedInputBytes();
    while (queued >= 0 && queued < n && std::chrono::steady_clock::now() < limit) {
      std::this_thread::yield();
      queued = driver.queuedInputBytes();
    }
    return queued;
  }

  VirtualScheduler scheduler;
  Win32SerialDriver driver;
  SerialLink link{driver, scheduler};
  RegistryPortSource systemPorts;
  PortList list{systemPorts};
  int parserCalls = 0;
};

TEST_F(WinePorts, TheSystemsPortMapListsTheDeclaredPortsSortedWithTheirNumbers) {
  std::vector<std::string> declared;
  for (const auto& e : list.entries())
    if (e.name == "COM1" || e.name == "COM2" || e.name == "COM3" || e.name == "COM9" ||
        e.name == "COM10")
      declared.push_back(e.name);
  EXPECT_EQ(declared, (std::vector<std::string>{"COM1", "COM10", "COM2", "COM3", "COM9"}));
  EXPECT_TRUE(std::is_sorted(list.entries().begin(), list.entries().end(),
                             [](const PortEntry& a, const PortEntry& b) {
                               return lower(a.name) < lower(b.name);
                             }));
  EXPECT_EQ(list.selectedIndex(), static_cast<int>(list.entries().size()) - 1);
  EXPECT_EQ(list.portNumbers().size(), list.entries().size());
  EXPECT_EQ(pathOf(9), "COM9");
  EXPECT_EQ(pathOf(10), "//./COM10");
}

TEST_F(WinePorts, PortNumberNineOpensCOM9AndTenOpensTheDeviceNamespaceName) {
  for (int n : {9, 10}) {
    SCOPED_TRACE(n);
    ASSERT_TRUE(link.openPort(pathOf(n))) << link.lastErrorText();
    link.startReader();
    link.TransmitBuffer = {0x51, static_cast<std::uint8_t>(n)};
    link.write();
    ASSERT_FALSE(link.isDead()) << link.lastErrorText();
    pumpUntil(4);
    EXPECT_EQ(link.ReceiveText, hexOf(link.TransmitBuffer));
    link.closePort();
    link.ReceiveText.clear();
  }
  // Only COM1..COM9 are DOS device names; without the prefix "COM10" is a file that is not there.
  EXPECT_FALSE(link.openPort("COM10"));
  EXPECT_EQ(link.lastError(), SerialError::NotFound);
}

TEST_F(WinePorts, EveryByteValueRoundTripsInOrderAsUpperCaseHex) {
  ASSERT_TRUE(link.openPort(pathOf(1))) << link.lastErrorText();
  link.startReader();
  link.TransmitBuffer.resize(256);
  std::iota(link.TransmitBuffer.begin(), link.TransmitBuffer.end(), 0);
  link.write();
  ASSERT_FALSE(link.isDead()) << link.lastErrorText();
  pumpUntil(512);
  // Nothing translated: 0x00, 0x0A, 0x0D, XON/XOFF and 0xFF pass as data.
  EXPECT_EQ(link.ReceiveText, hexOf(link.TransmitBuffer));
  EXPECT_GE(parserCalls, 1);
  link.closePort();
}

TEST_F(WinePorts, TheQueuedCountIsThePortsAndANotificationReadsAtMost1025Bytes) {
  ASSERT_TRUE(link.openPort(pathOf(1))) << link.lastErrorText();
  link.TransmitBuffer.assign(1500, 0x5A);
  link.write();
  ASSERT_FALSE(link.isDead()) << link.lastErrorText();
  EXPECT_EQ(waitQueued(1500), 1500);
  link.startReader();  // the whole burst is queued before the first notification
  ASSERT_TRUE(scheduler.waitForPost(2s));
  scheduler.advanceMs(SerialLink::kBurstGroupingMs);
  EXPECT_EQ(link.ReceiveText.size(), 2u * SerialLink::kReceiveBufferBytes);
  EXPECT_EQ(driver.queuedInputBytes(), 1500 - SerialLink::kReceiveBufferBytes);
  pumpUntil(3000);
  EXPECT_EQ(link.ReceiveText.size(), 3000u);
  EXPECT_EQ(driver.queuedInputBytes(), 0);
  EXPECT_EQ(parserCalls, 2);
  link.closePort();
}

TEST_F(WinePorts, ANotificationWithNothingQueuedSkipsTheParserAndReleasesTheReader) {
  ASSERT_TRUE(link.openPort(pathOf(2))) << link.lastErrorText();
  link.startReader();
  link.receiveNotification();
  EXPECT_EQ(parserCalls, 0);
  EXPECT_EQ(link.ReceiveText, "");
  link.TransmitBuffer = {0xA5, 0x00};
  link.write();
  ASSERT_FALSE(link.isDead()) << link.lastErrorText();
  pumpUntil(4);
  EXPECT_EQ(link.ReceiveText, "A500");
  EXPECT_EQ(parserCalls, 1);
  link.closePort();
}

TEST_F(WinePorts, ClosingWithANotificationStillPostedDoesNotBlockOrReadLater) {
  ASSERT_TRUE(link.openPort(pathOf(1))) << link.lastErrorText();
  link.startReader();
  link.TransmitBuffer = {0x01, 0x02};
  link.write();
  ASSERT_FALSE(link.isDead()) << link.lastErrorText();
  ASSERT_TRUE(scheduler.waitForPost(2s));  // the reader has posted; the window has not run it
  link.closePort();
  EXPECT_FALSE(link.PortOpen());
  scheduler.advanceMs(100);  // the stale notification runs now and must do nothing
  EXPECT_EQ(parserCalls, 0);
  EXPECT_EQ(link.ReceiveText, "");
}

// Runs one wait on another thread; if it has not ended after five seconds, ends it and reports
// that it hung, so that a broken wait fails the test instead of stalling the run.
std::string waitOnce(Win32SerialDriver& driver) {
  auto wait = std::async(std::launch::async, [&] { return driver.waitReceived(); });
  if (wait.wait_for(5s) != std::future_status::ready) {
    driver.interruptWait();
    wait.wait();
    return "hung";
  }
  switch (wait.get()) {
    case SerialDriver::Wait::Received: return "received";
    case SerialDriver::Wait::Interrupted: return "interrupted";
    case SerialDriver::Wait::Failed: return "failed";
  }
  return "?";
}

TEST_F(WinePorts, ClearingTheEventMaskIsADeliberateStopAndTheNextWaitStillSeesCharacters) {
  ASSERT_EQ(driver.open(pathOf(2)), SerialError::None) << driver.lastErrorText();
  // A stop that comes while nobody waits ends the next wait.
  driver.interruptWait();
  EXPECT_EQ(waitOnce(driver), "interrupted");
  // A stop during the wait ends it as a stop, not as a failure, whatever the wait completed with.
  auto wait = std::async(std::launch::async, [&] { return driver.waitReceived(); });
  driver.interruptWait();
  ASSERT_EQ(wait.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(wait.get(), SerialDriver::Wait::Interrupted);
  // The mask the stop cleared is set again: a character ends the next wait.
  const std::vector<std::uint8_t> one = {0x42};
  ASSERT_EQ(driver.writeAll(one), SerialError::None);
  EXPECT_EQ(waitOnce(driver), "received");
  std::uint8_t got[4] = {};
  EXPECT_EQ(driver.read(got, 4), 1);
  EXPECT_EQ(got[0], 0x42);
  driver.close();
}

TEST_F(WinePorts, WritingToAPortThatVanishedEndsWithAnErrorInsteadOfHanging) {
  ASSERT_TRUE(link.openPort(pathOf(3))) << link.lastErrorText();
  link.startReader();
  link.TransmitBuffer = {0x00};
  link.write();  // the adapter is pulled when this byte arrives
  EXPECT_FALSE(link.isDead());
  // Later writes fail once the port is gone (or, if the port merely stopped taking bytes, when
  // the write's time limit passes); none of them may hang.
  link.TransmitBuffer.assign(64, 0xA5);
  for (int i = 0; i < 1000 && !link.isDead(); ++i) link.write();
  EXPECT_TRUE(link.isDead());
  EXPECT_NE(link.lastError(), SerialError::None);
  EXPECT_TRUE(link.PortOpen());  // the watchdog, not the link, reports the broken connection
  link.write();                  // a dead link sends nothing and does not fail twice
  link.closePort();
  EXPECT_FALSE(link.PortOpen());
  EXPECT_FALSE(link.openPort(pathOf(3)));
}

}  // namespace
}  // namespace lyra
