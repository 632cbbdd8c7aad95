// The SendPump in virtual time on a simulated bus: pacing, slot order, refills, broadcast.

#include <gtest/gtest.h>

#include "protocol/LinkSupervisor.h"
#include "protocol/SendPump.h"
#include "sim/SimBus.h"
#include "timing/VirtualScheduler.h"

namespace lyra {
namespace {

class SendPumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus.addPort("COM3");
    ASSERT_TRUE(link.openPort("COM3"));
    link.startReader();
  }
  Frame bandFrame(int slot, std::uint8_t gain) {
    const SlotTarget t = slotTarget(slot);
    return parameterWrite(address.BusAddress, t.group, t.item, {0, 0, gain, 0, 0, 0, 0, 0});
  }
  // (time in ms, frame) of everything written on the bus.
  std::vector<std::pair<std::int64_t, Frame>> written() const {
    std::vector<std::pair<std::int64_t, Frame>> out;
    for (const auto& w : bus.writes("COM3")) out.emplace_back(w.timeUs / 1000, w.bytes);
    return out;
  }

  VirtualScheduler scheduler;
  TimerTable timers{scheduler};
  SimBus bus{scheduler};
  std::unique_ptr<SerialDriver> driver = bus.makeDriver();
  SerialLink link{*driver, scheduler};
  BusAddressing address;
  SendPump pump{timers, link, address};
};

// With the supervisor whose poll it holds off.
class SupervisedPumpTest : public SendPumpTest {
 protected:
  std::unique_ptr<PortSource> ports = bus.makePortSource();
  PortList portList{*ports};
  LinkSupervisor supervisor{timers, link, pump, address, portList};
};

TEST_F(SendPumpTest, TwoChangesBeforeTheTakeLeaveAsOneFrameCarryingTheSecond) {
  pump.queueParameterWrite(31, bandFrame(31, 10));
  pump.queueParameterWrite(31, bandFrame(31, 20));
  timers.sendTimer.start();
  scheduler.advanceMs(2000);
  const auto w = written();
  ASSERT_EQ(w.size(), 1u);
  EXPECT_EQ(w[0].first, 210);  // taken at 10 ms, written 200 ms later
  EXPECT_EQ(w[0].second, bandFrame(31, 20));
}

TEST_F(SendPumpTest, AChangeBetweenTakeAndWriteIsInThatWriteAndIsWrittenOnceMore) {
  pump.queueParameterWrite(30, bandFrame(30, 10));
  timers.sendTimer.start();
  scheduler.advanceMs(100);  // taken at 10 ms
  EXPECT_EQ(pump.takenSlot(), 30);
  pump.queueParameterWrite(30, bandFrame(30, 99));
  scheduler.advanceMs(2000);
  const auto w = written();
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0], std::make_pair(std::int64_t{210}, bandFrame(30, 99)));
  EXPECT_EQ(w[1], std::make_pair(std::int64_t{720}, bandFrame(30, 99)));
}

TEST_F(SendPumpTest, TheLowestPendingSlotGoesFirstAbout510msApart) {
  pump.queueParameterWrite(20, bandFrame(20, 1));
  pump.queueParameterWrite(3, bandFrame(3, 2));
  timers.sendTimer.start();
  scheduler.advanceMs(2000);
  const auto w = written();
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0], std::make_pair(std::int64_t{210}, bandFrame(3, 2)));
  EXPECT_EQ(w[1], std::make_pair(std::int64_t{720}, bandFrame(20, 1)));
}

TEST_F(SendPumpTest, ALowSlotRefilledEveryCycleKeepsHigherSlotsWaiting) {
  pump.queueParameterWrite(36, bandFrame(36, 1));
  timers.sendTimer.start();
  for (int cycle = 0; cycle < 5; ++cycle) {
    pump.queueParameterWrite(1, bandFrame(1, static_cast<std::uint8_t>(cycle)));
    scheduler.advanceMs(510);
  }
  for (const auto& [t, f] : written()) EXPECT_EQ(f[6], 0x00) << "slot 36 written at " << t;
  EXPECT_TRUE(pump.isPending(36));
  scheduler.advanceMs(1100);  // the slider stops: slot 36 goes out at last
  EXPECT_EQ(written().back().second, bandFrame(36, 1));
}

TEST_F(SendPumpTest, InBroadcastModeEverySlotFrameGoesOutTwiceBackToBack) {
  address.BusAddress = kBroadcastAddress;
  pump.queueParameterWrite(28, bandFrame(28, 5));
  timers.sendTimer.start();
  scheduler.advanceMs(600);
  const auto w = written();
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0], w[1]);
  EXPECT_EQ(w[0].second[3], 0xFF);
}

TEST_F(SupervisedPumpTest, ThePollIsHeldOffWhileSendingAndResumes300msAfterTheWrite) {
  supervisor.begin();
  int polls = 0;
  timers.Timer1.onTick = [&] { ++polls; };
  supervisor.resume();
  timers.intimer.start();
  pump.queueParameterWrite(30, bandFrame(30, 1));
  timers.sendTimer.start();
  scheduler.advanceMs(10);  // the take
  EXPECT_FALSE(timers.Timer1.isActive());
  EXPECT_FALSE(timers.intimer.isActive());
  EXPECT_FALSE(timers.sendTimer.isActive());
  scheduler.advanceMs(499);  // written at 210, Timer4 fires at 510
  EXPECT_FALSE(timers.Timer1.isActive());
  scheduler.advanceMs(1);
  EXPECT_TRUE(timers.Timer1.isActive());
  EXPECT_TRUE(timers.sendTimer.isActive());
  EXPECT_EQ(polls, 0);
  scheduler.advanceMs(500);
  EXPECT_EQ(polls, 1);
}

TEST_F(SendPumpTest, TheSystemRecordReadIsBuiltWhenWrittenWithTheBusAddressThen) {
  pump.queueSystemRecordRead();
  timers.sendTimer.start();
  scheduler.advanceMs(100);
  address.BusAddress = 0x0B;  // a new DeviceId took effect after the take
  scheduler.advanceMs(200);
  ASSERT_EQ(written().size(), 1u);
  EXPECT_EQ(written()[0].second, systemRecordRead(0x0B));
}

TEST_F(SendPumpTest, NothingIsQueuedOrWrittenWhilePortOpenIsClear) {
  link.closePort();
  pump.queueParameterWrite(30, bandFrame(30, 1));
  EXPECT_FALSE(pump.isPending(30));
  pump.queueSystemRecordRead();
  timers.sendTimer.start();
  scheduler.advanceMs(1000);
  EXPECT_TRUE(written().empty());
  EXPECT_TRUE(pump.isPending(37));  // kept for when a port is open again
}

TEST_F(SendPumpTest, ASlotTakenJustBeforeADisconnectIsDroppedNotSentOnTheNextConnect) {
  pump.queueParameterWrite(30, bandFrame(30, 1));
  pump.queueParameterWrite(31, bandFrame(31, 2));
  timers.sendTimer.start();
  scheduler.advanceMs(100);  // slot 30 taken
  pump.stop();
  link.closePort();
  scheduler.advanceMs(1000);
  ASSERT_TRUE(link.openPort("COM3"));
  scheduler.advanceMs(1000);
  EXPECT_TRUE(written().empty());  // nothing leaves until the pump is started again
  EXPECT_TRUE(pump.isPending(31));  // the untaken slot survives the disconnect
  pump.clearAllSlots();            // as a connect does
  EXPECT_FALSE(pump.isPending(31));
}

TEST_F(SendPumpTest, SendNowWritesAtOnceAndClearsReceiveTextForARequest) {
  link.ReceiveText = "A5A5";
  pump.sendNow(statusPoll(0), SendPump::ReceiveText::Clear);
  EXPECT_EQ(link.ReceiveText, "");
  link.ReceiveText = "A5";
  pump.sendNow(uploadHeader(0, 0, group::kPresetData));
  EXPECT_EQ(link.ReceiveText, "A5");
  ASSERT_EQ(written().size(), 2u);
  EXPECT_EQ(written()[0].second, statusPoll(0));
  EXPECT_EQ(link.TransmitBuffer, uploadHeader(0, 0, group::kPresetData));
}

TEST_F(SendPumpTest, TheSlotWrittenHookRunsOncePerSlotWrite) {
  int written = 0;
  pump.onSlotWritten = [&] { ++written; };
  for (int slot = 30; slot <= 35; ++slot) pump.queueParameterWrite(slot, bandFrame(slot, 0));
  timers.sendTimer.start();
  scheduler.advanceMs(6 * 510);
  EXPECT_EQ(written, 6);
}

TEST_F(SupervisedPumpTest, AnOperationsPauseOutlastsTheSendersReleaseUntilItResumes) {
  supervisor.begin();
  supervisor.resume();
  pump.queueParameterWrite(30, bandFrame(30, 1));
  scheduler.advanceMs(10);  // taken: the poll is held off for the send
  supervisor.pause();       // a slot load begins meanwhile
  scheduler.advanceMs(2000);
  EXPECT_EQ(written().size(), 1u);  // the taken frame still went out
  EXPECT_FALSE(timers.Timer1.isActive());
  EXPECT_FALSE(timers.sendTimer.isActive());
  supervisor.resume();
  EXPECT_TRUE(timers.Timer1.isActive());
  EXPECT_TRUE(timers.sendTimer.isActive());
}

TEST_F(SupervisedPumpTest, NothingResumesThePollOnceTheLinkHasEnded) {
  supervisor.begin();
  supervisor.pause();
  supervisor.end();
  supervisor.resume();
  supervisor.resumeSendsOnly();
  supervisor.releaseAfterSend();
  EXPECT_FALSE(timers.Timer1.isActive());
  EXPECT_FALSE(timers.sendTimer.isActive());
  scheduler.advanceMs(5000);
  EXPECT_TRUE(written().empty());
  // A port closed under a link that was never ended resumes nothing either.
  supervisor.begin();
  link.closePort();
  supervisor.resume();
  EXPECT_FALSE(timers.Timer1.isActive());
}

TEST_F(SupervisedPumpTest, TheWatchdogEndsAnUnansweredLinkButNeverABroadcastOne) {
  int interrupted = 0;
  supervisor.onInterrupted = [&] { ++interrupted; };
  supervisor.begin();
  supervisor.resume();
  scheduler.advanceMs(2499);  // first poll at 500, unanswered: 2 s from there
  EXPECT_EQ(interrupted, 0);
  scheduler.advanceMs(1);
  EXPECT_EQ(interrupted, 1);
  const auto polls = written();
  ASSERT_FALSE(polls.empty());
  EXPECT_EQ(polls.front().second, statusPoll(0x00));

  address.BusAddress = kBroadcastAddress;
  timers.intimer.stop();
  scheduler.advanceMs(5000);
  EXPECT_EQ(interrupted, 1);
}

TEST_F(SupervisedPumpTest, ThePortCheckNoticesThePortLeavingTheSystemUnlessASearchHoldsIt) {
  int lost = 0;
  supervisor.onPortLost = [&] { ++lost; };
  portList.refill();
  supervisor.begin();
  timers.brocar1.start();
  supervisor.holdPortCheck();
  bus.removePort("COM3");
  scheduler.advanceMs(6000);
  EXPECT_EQ(lost, 0);
  supervisor.releasePortCheck();
  scheduler.advanceMs(3000);
  EXPECT_EQ(lost, 1);
}

}  // namespace
}  // namespace lyra
