// SerialLink on the simulated bus in virtual time: how bursts group into notifications.

#include <gtest/gtest.h>

#include "serial/SerialLink.h"
#include "sim/SimBus.h"
#include "timing/VirtualScheduler.h"

namespace lyra {
namespace {

class SerialLinkSim : public ::testing::Test {
 protected:
  void SetUp() override {
    bus.addPort("COM3");
    link.replyParser = [this] {
      parserTimesMs.push_back(scheduler.nowMs());
      textAtCall.push_back(link.ReceiveText);
    };
    ASSERT_TRUE(link.openPort("COM3"));
    link.startReader();
  }
  VirtualScheduler scheduler;
  SimBus bus{scheduler};
  std::unique_ptr<SerialDriver> driver = bus.makeDriver();
  SerialLink link{*driver, scheduler};
  std::vector<std::int64_t> parserTimesMs;
  std::vector<std::string> textAtCall;
};

TEST_F(SerialLinkSim, AShortReplyArrivesInOneNotification50msAfterItsFirstByte) {
  std::vector<std::uint8_t> status(20, 0x11);
  bus.sendToProgram("COM3", status);
  scheduler.advanceMs(200);
  ASSERT_EQ(parserTimesMs.size(), 1u);
  EXPECT_EQ(parserTimesMs[0], 51);  // first byte done at 1.04 ms, then the 50 ms grouping
  EXPECT_EQ(textAtCall[0].size(), 40u);
}

TEST_F(SerialLinkSim, ALongReplyAccumulatesOverSeveralNotificationsNeverOverlapping) {
  std::vector<std::uint8_t> names(412);
  for (size_t i = 0; i < names.size(); ++i) names[i] = static_cast<std::uint8_t>(i);
  bus.sendToProgram("COM3", names);
  scheduler.advanceMs(1000);
  EXPECT_EQ(link.ReceiveText.size(), 824u);
  EXPECT_EQ(link.ReceiveText.substr(0, 8), "00010203");
  EXPECT_EQ(link.ReceiveText.substr(816), "98999A9B");  // bytes 408..411
  // 412 bytes take 429 ms on the wire: about nine notifications of about 48 bytes each.
  ASSERT_GE(parserTimesMs.size(), 8u);
  for (size_t i = 1; i < parserTimesMs.size(); ++i)
    EXPECT_GE(parserTimesMs[i] - parserTimesMs[i - 1], SerialLink::kBurstGroupingMs);
  for (size_t i = 1; i < textAtCall.size(); ++i)
    EXPECT_GT(textAtCall[i].size(), textAtCall[i - 1].size());
}

TEST_F(SerialLinkSim, AVanishedPortNeitherHangsTheReaderNorParsesGarbage) {
  bus.sendToProgram("COM3", {0xA5, 0xA5});
  scheduler.advanceMs(1);  // a byte is in, its notification is posted
  bus.removePort("COM3");
  scheduler.advanceMs(100);
  EXPECT_TRUE(parserTimesMs.empty());
  link.TransmitBuffer = {0xA5};
  link.write();
  EXPECT_TRUE(link.isDead());
  EXPECT_TRUE(link.PortOpen());
  link.closePort();
  EXPECT_FALSE(link.PortOpen());
  bus.addPort("COM3");  // plugged in again: opens as new
  EXPECT_TRUE(link.openPort("COM3"));
  EXPECT_FALSE(link.isDead());
}

TEST_F(SerialLinkSim, WhatTheProgramWritesIsRecordedWithItsTime) {
  scheduler.advanceMs(7);
  link.TransmitBuffer = {0xA5, 0xA5, 0xA5, 0x00, 0xA2, 0x00, 0x2B, 0x00, 0x00, 0x00, 0x89, 0xAA};
  link.write();
  const auto& writes = bus.writes("COM3");
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].timeUs, 7000);
  EXPECT_EQ(writes[0].bytes, link.TransmitBuffer);
}

}  // namespace
}  // namespace lyra
