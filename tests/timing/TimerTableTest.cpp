#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "timing/TimerTable.h"
#include "timing/VirtualScheduler.h"

namespace lyra {
namespace {

TEST(NamedTimer, StartingARunningTimerKeepsItsInterval) {
  VirtualScheduler s;
  NamedTimer watchdog(s, "intimer", 2000);
  std::vector<std::int64_t> ticks;
  watchdog.onTick = [&] {
    ticks.push_back(s.nowMs());
    watchdog.stop();
  };
  watchdog.start();
  for (int i = 0; i < 3; ++i) {  // a poll every 500 ms starts it again; the interval stands
    s.advanceMs(500);
    watchdog.start();
  }
  s.advanceMs(600);
  EXPECT_EQ(ticks, std::vector<std::int64_t>{2000});
  EXPECT_FALSE(watchdog.isActive());
}

TEST(NamedTimer, StopThenStartBeginsAFreshInterval) {
  VirtualScheduler s;
  NamedTimer t(s, "Timer7", 200);
  int ticks = 0;
  t.onTick = [&] { ++ticks; };
  t.start();
  s.advanceMs(150);
  t.stop();
  t.start();
  s.advanceMs(150);
  EXPECT_EQ(ticks, 0);  // 300 ms in, but only 150 since the restart
  s.advanceMs(50);
  EXPECT_EQ(ticks, 1);
  s.advanceMs(400);
  EXPECT_EQ(ticks, 3);  // it repeats until stopped
}

TEST(NamedTimer, HandlerThatStopsAndRestartsItselfGetsAFullInterval) {
  VirtualScheduler s;
  NamedTimer t(s, "Timer4", 300);
  std::vector<std::int64_t> ticks;
  t.onTick = [&] {
    ticks.push_back(s.nowMs());
    t.stop();
    if (ticks.size() < 3) t.start();
  };
  t.start();
  s.advanceMs(2000);
  EXPECT_EQ(ticks, (std::vector<std::int64_t>{300, 600, 900}));
}

TEST(NamedTimer, TimerWithNothingToDoSleepsUntilWokenAndStaysActive) {
  VirtualScheduler s;
  NamedTimer t(s, "sendTimer", 10);
  bool work = false;
  std::vector<std::int64_t> ticks;
  t.hasWork = [&] { return work; };
  t.onTick = [&] {
    ticks.push_back(s.nowMs());
    work = false;
  };
  t.start();
  s.advanceMs(1000);
  EXPECT_TRUE(ticks.empty());
  EXPECT_TRUE(t.isActive());
  EXPECT_EQ(s.pendingCount(), 0u);  // asleep: nothing armed, no wake-ups
  work = true;
  t.wake();
  t.wake();  // a second wake while armed changes nothing
  s.advanceMs(25);
  EXPECT_EQ(ticks, std::vector<std::int64_t>{1010});
  EXPECT_EQ(s.pendingCount(), 0u);
  t.stop();
  t.wake();  // a stopped timer is not started by a wake
  work = true;
  s.advanceMs(100);
  EXPECT_EQ(ticks.size(), 1u);
  EXPECT_FALSE(t.isActive());
}

TEST(VirtualScheduler, TicksDueTogetherFireInTheOrderTheyWereArmed) {
  VirtualScheduler s;
  TimerTable timers(s);
  std::string order;
  timers.sendTimer.onTick = [&] { order += "s"; };  // 10 ms
  timers.Timer2.onTick = [&] { order += "2"; };     // 10 ms
  timers.Timer2.start();
  timers.sendTimer.start();
  s.advanceMs(20);
  EXPECT_EQ(order, "2s2s");
}

TEST(VirtualScheduler, WaitPumpingRunsOtherTicksInsideAHandler) {
  VirtualScheduler s;
  TimerTable timers(s);
  std::vector<std::string> log;
  timers.Timer1.onTick = [&] { log.push_back("poll@" + std::to_string(s.nowMs())); };
  timers.Timer124.onTick = [&] {
    timers.Timer124.stop();
    log.push_back("search begins@" + std::to_string(s.nowMs()));
    s.waitPumping(1200);  // the poll keeps ticking while the search waits
    log.push_back("search ends@" + std::to_string(s.nowMs()));
  };
  timers.Timer1.start();
  timers.Timer124.start();
  s.advanceMs(1300);
  EXPECT_EQ(log, (std::vector<std::string>{"search begins@10", "poll@500", "poll@1000",
                                           "search ends@1210"}));
  EXPECT_EQ(s.nowMs(), 1300);
}

TEST(VirtualScheduler, NestedWaitsThatOverrunTheOuterTargetLeaveTheClockWhereTheyEnded) {
  VirtualScheduler s;
  s.post(1000, [&] { s.waitPumping(500); });
  s.advanceMs(100);  // the call at 1 ms waits 500 ms inside this 100 ms advance
  EXPECT_EQ(s.nowMs(), 501);
}

TEST(VirtualScheduler, CancelledCallsNeverRun) {
  VirtualScheduler s;
  bool ran = false;
  auto token = s.post(1000, [&] { ran = true; });
  s.cancel(token);
  s.cancel(token);   // twice is harmless
  s.cancel(12345);   // so is a token never handed out
  s.advanceMs(10);
  EXPECT_FALSE(ran);
  EXPECT_EQ(s.pendingCount(), 0u);
}

TEST(VirtualScheduler, AdvanceUntilStopsAtTheFirstInstantThePredicateHolds) {
  VirtualScheduler s;
  NamedTimer t(s, "Timer3", 1000);
  int ticks = 0;
  t.onTick = [&] { ++ticks; };
  t.start();
  EXPECT_TRUE(s.advanceUntil([&] { return ticks == 3; }, 10'000));
  EXPECT_EQ(s.nowMs(), 3000);
  EXPECT_FALSE(s.advanceUntil([&] { return ticks == 100; }, 2000));
  EXPECT_EQ(s.nowMs(), 5000);
}

TEST(VirtualScheduler, AFullBusSearchOfProgramTimeRunsWithoutSleeping) {
  // 256 probes 100 ms apart: 25.6 s of program time, over in a blink of real time.
  VirtualScheduler s;
  int probes = 0;
  for (int a = 0; a < 256; ++a) {
    s.waitPumping(100);
    ++probes;
  }
  EXPECT_EQ(probes, 256);
  EXPECT_EQ(s.nowMs(), 25'600);
}

TEST(TimerTable, HoldsEveryNamedTimerWithItsInterval) {
  VirtualScheduler s;
  TimerTable timers(s);
  std::map<std::string, int> byName;
  for (NamedTimer* t : timers.all()) byName[t->name()] = t->intervalMs();
  EXPECT_EQ(byName.size(), TimerTable::kCount);  // no name twice
  EXPECT_EQ(byName["Timer124"], 10);
  EXPECT_EQ(byName["refurbish"], 3000);
  EXPECT_EQ(byName["intimer"], 2000);
  EXPECT_EQ(byName["Timer22"], 12000);
  EXPECT_EQ(byName["Timer9"], 16000);
  EXPECT_EQ(byName["tmr1"], 3000);
  timers.startEnabledAtStart();
  int active = 0;
  for (NamedTimer* t : timers.all()) active += t->isActive() ? 1 : 0;
  EXPECT_EQ(active, 4);
  timers.stopAll();
  EXPECT_EQ(s.pendingCount(), 0u);
}

}  // namespace
}  // namespace lyra
