// Several devices on one line: the broadcast address, colliding replies, and the faults a test or a
// support engineer can switch on per device.

#include <gtest/gtest.h>

#include <bit>

#include "tests/sim/DeviceBench.h"

namespace lyra {
namespace {

using test::hexOf;
using test::isWellFormed;

class TwoDevices : public test::DeviceBench {
 protected:
  void SetUp() override {
    DeviceBench::SetUp();
    addDevice(1, 11);
    addDevice(5, 55);
  }
  DeviceModel& one() { return *devices[0]; }
  DeviceModel& five() { return *devices[1]; }
};

TEST_F(TwoDevices, ABroadcastWriteIsTakenByEveryDeviceAndAcknowledgedByNone) {
  const RowPayload row = {0x42, 1, 0x2D, 0x01, 0, 0, 1, 0};
  // In BroadcastMode the program writes each slot frame twice, back to back.
  send(parameterWrite(0xFF, group::kMainChannel, 0, row));
  EXPECT_TRUE(ask(parameterWrite(0xFF, group::kMainChannel, 0, row)).empty());
  for (DeviceModel* d : {&one(), &five()}) {
    EXPECT_EQ(d->memory().active[216], 0x42);
    EXPECT_EQ(d->framesTaken(), 2);
    EXPECT_EQ(d->repliesSent(), 0);
  }
  EXPECT_TRUE(ask(saveUserPresetName(0xFF, 8, "group")).empty());
  EXPECT_EQ(one().memory().names[7][0], 'g');
  EXPECT_EQ(five().memory().names[7][0], 'g');
}

TEST_F(TwoDevices, ABroadcastUploadAndSystemRecordReachEveryDeviceSilently) {
  const std::vector<std::uint8_t> data(320, 0x3C);
  const Frame upload = buildFrame(0xFF, command::kWrite, 0, group::kPresetData, 0, data);
  send({upload.begin(), upload.begin() + 10});
  scheduler.advanceMs(100);
  send({upload.begin() + 10, upload.end()});
  scheduler.advanceMs(500);
  EXPECT_EQ(one().memory().active[100], 0x3C);
  EXPECT_EQ(five().memory().active[100], 0x3C);

  const RowPayload record = {1, 0, 0, 9, 0, 4, 0, 0};
  EXPECT_TRUE(ask(buildFrame(0xFF, command::kWrite, 0, group::kSystemRecord, 0, record)).empty());
  EXPECT_EQ(one().deviceId(), 9);
  EXPECT_EQ(five().deviceId(), 9);
}

TEST_F(TwoDevices, ABroadcastReadIsAnsweredByEveryDeviceAndTheRepliesCollide) {
  const auto got = ask(statusPoll(0xFF));
  EXPECT_EQ(one().repliesSent(), 1);
  EXPECT_EQ(five().repliesSent(), 1);
  EXPECT_GT(bus.collisions(kPort), 0);
  // The program cannot read two clean replies out of what reached it.
  EXPECT_FALSE(got.size() == 40 && isWellFormed({got.begin(), got.begin() + 20}) &&
               isWellFormed({got.begin() + 20, got.end()}));
}

TEST_F(TwoDevices, ABroadcastReadWithOneDeviceOnTheLineIsAnsweredCleanly) {
  devices.pop_back();
  const auto got = ask(statusPoll(0xFF));
  ASSERT_TRUE(isWellFormed(got));
  EXPECT_EQ(got[3], 0x00);  // the device signs with its own address
  EXPECT_EQ(bus.collisions(kPort), 0);
}

TEST_F(TwoDevices, ASilentDeviceStillTakesWritesButAnswersNothing) {
  one().faults().silent = true;
  EXPECT_TRUE(ask(statusPoll(0x00)).empty());
  EXPECT_TRUE(ask(parameterWrite(0x00, 0x05, 0, {7, 0, 0, 0, 0, 0, 0, 0})).empty());
  EXPECT_EQ(one().memory().active[232], 7);
  EXPECT_TRUE(isWellFormed(ask(statusPoll(0x04))));
  one().faults().silent = false;
  EXPECT_TRUE(isWellFormed(ask(statusPoll(0x00))));
}

TEST_F(TwoDevices, ALateDeviceAnswersAfterTheGivenDelay) {
  one().faults().lateByUs = 1'800'000;  // later than the program's 800 ms first-contact wait
  EXPECT_TRUE(ask(statusPoll(0x00), 1800).empty());
  scheduler.advanceMs(100);
  EXPECT_TRUE(isWellFormed(received));
}

TEST_F(TwoDevices, TheNameTableCanGoUnansweredWhileEverythingElseIsAnswered) {
  one().faults().ignoreNameTableRead = true;
  EXPECT_TRUE(ask(readNameTable(0x00)).empty());
  EXPECT_EQ(ask(readActivePreset(0x00)).size(), 332u);
  EXPECT_EQ(ask(readNameTable(0x04)).size(), 412u);
}

TEST_F(TwoDevices, DroppedBytesLeaveGapsInTheReply) {
  const auto clean = ask(readActivePreset(0x00));
  one().faults().dropRate = 0.1;
  const auto lossy = ask(readActivePreset(0x00));
  EXPECT_LT(lossy.size(), clean.size());
  EXPECT_GT(lossy.size(), clean.size() / 2);
  // What survives spans the same stretch of time less the lost bytes' slots, never more.
  EXPECT_LE(arrivalUs.back() - arrivalUs.front(),
            SimBus::byteTimeUs(331) + 2);  // 1 us rounding a run
  one().faults().dropRate = 1.0;
  EXPECT_TRUE(ask(readActivePreset(0x00)).empty());
}

TEST_F(TwoDevices, CorruptedBytesEachHaveOneBitFlipped) {
  one().status().freeze(true);
  const auto clean = ask(statusPoll(0x00));
  one().faults().corruptRate = 1.0;
  const auto bad = ask(statusPoll(0x00));
  ASSERT_EQ(bad.size(), clean.size());
  for (std::size_t k = 0; k < bad.size(); ++k)
    EXPECT_EQ(std::popcount(static_cast<unsigned>(bad[k] ^ clean[k])), 1) << k;
}

TEST_F(TwoDevices, AVanishedPortLeavesTheDevicesHarmless) {
  send(readNameTable(0x00));
  scheduler.advanceMs(100);  // the reply is on its way
  bus.removePort(kPort);
  scheduler.advanceMs(1000);
  EXPECT_EQ(driver->queuedInputBytes(), -1);
  EXPECT_EQ(driver->writeAll(statusPoll(0x00)), SerialError::Vanished);
  devices.clear();  // detaching from a port that is gone is fine (ASan watches)
}

// Without byte timing (the receive-path fuzzer's bus): whole replies, in each peer's order.
class UntimedBus : public TwoDevices {
 protected:
  void SetUp() override {
    bus.setByteTiming(false);
    TwoDevices::SetUp();
  }
};

TEST_F(UntimedBus, ARequestIsHeardAndItsReplyArrivesWholeAtOneInstant) {
  EXPECT_FALSE(bus.byteTiming());
  send(readActivePreset(0x00));
  EXPECT_EQ(one().framesTaken(), 0);  // the write crosses the line on the scheduler's next turn
  scheduler.advanceMs(1000);
  ASSERT_EQ(received.size(), 332u);
  EXPECT_EQ(one().framesTaken(), 1);
  EXPECT_EQ(five().framesTaken(), 0);
  EXPECT_EQ(arrivalUs.front(), arrivalUs.back());
  const auto status = ask(statusPoll(0x04));
  EXPECT_TRUE(isWellFormed(status));
  EXPECT_EQ(five().repliesSent(), 1);
}

TEST_F(UntimedBus, RepliesOfTwoDevicesAtOnceDoNotCollide) {
  const auto got = ask(statusPoll(0xFF));
  EXPECT_EQ(bus.collisions(kPort), 0);
  ASSERT_EQ(got.size(), 40u);
  EXPECT_TRUE(isWellFormed({got.begin(), got.begin() + 20}));
  EXPECT_TRUE(isWellFormed({got.begin() + 20, got.end()}));
}

TEST_F(UntimedBus, AReplyWithoutDelayArrivesAtOnceAndOneWithDelayLaterAndInOrder) {
  bus.sendToProgram(kPort, {1, 2, 3});
  EXPECT_EQ(received, (std::vector<std::uint8_t>{1, 2, 3}));  // within the call
  EXPECT_EQ(scheduler.pendingCount(), 0u);
  bus.sendToProgram(kPort, {4, 5}, 5000);
  bus.sendToProgram(kPort, {6});  // no delay, but behind the same sender's reply on its way
  bus.sendToProgram(kPort, {7}, 0, &one());  // another sender is not held up
  EXPECT_EQ(received, (std::vector<std::uint8_t>{1, 2, 3, 7}));
  scheduler.advanceUs(4999);
  EXPECT_EQ(received.size(), 4u);
  scheduler.advanceUs(1);
  EXPECT_EQ(received, (std::vector<std::uint8_t>{1, 2, 3, 7, 4, 5, 6}));
  EXPECT_EQ(arrivalUs.back(), 5000);
  bus.sendToProgram(kPort, {8});  // nothing on its way any more: at once again
  EXPECT_EQ(received.back(), 8);
  EXPECT_EQ(arrivalUs.back(), 5000);
}

TEST_F(UntimedBus, WhatArrivesWhileThePortIsClosedIsLostAndWhatArrivesAfterIsRead) {
  driver->close();
  bus.sendToProgram(kPort, {1, 2, 3});
  bus.sendToProgram(kPort, {4}, 1000);
  ASSERT_EQ(driver->open(kPort), SerialError::None);
  int calls = 0;
  driver->watchReceived([&] { ++calls; });
  EXPECT_EQ(driver->queuedInputBytes(), 0);
  scheduler.advanceMs(10);
  EXPECT_EQ(calls, 1);  // one call for the whole reply
  std::uint8_t got[4] = {};
  EXPECT_EQ(driver->read(got, 4), 1);
  EXPECT_EQ(got[0], 4);
}

TEST(DeviceSeed, TheSameSeedGivesTheSameRepliesAtTheSameTimes) {
  auto run = [](std::uint32_t seed) {
    VirtualScheduler scheduler;
    SimBus bus{scheduler};
    DeviceModel device(bus, "COM1", 1, seed);
    auto driver = bus.makeDriver();
    EXPECT_EQ(driver->open("COM1"), SerialError::None);
    std::string log;
    driver->watchReceived([&] {
      std::uint8_t b;
      while (driver->read(&b, 1) == 1)
        log += hexOf({b}) + "@" + std::to_string(scheduler.nowUs()) + " ";
    });
    for (int i = 0; i < 20; ++i) {
      EXPECT_EQ(driver->writeAll(statusPoll(0x00)), SerialError::None);
      scheduler.advanceMs(500);
    }
    return log;
  };
  EXPECT_EQ(run(7), run(7));
  EXPECT_NE(run(7), run(8));
}

}  // namespace
}  // namespace lyra
