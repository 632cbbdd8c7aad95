// The command-line tool's real-time loop: order, cancel, nested waits, and posts from another
// thread. No assertion depends on how long anything took.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "timing/LoopScheduler.h"

namespace lyra {
namespace {

TEST(LoopScheduler, RunsDueCallsInPostingOrderAndForgetsCancelledOnes) {
  LoopScheduler s;
  std::vector<int> ran;
  s.post(0, [&] { ran.push_back(1); });
  const auto dropped = s.post(0, [&] { ran.push_back(2); });
  s.post(0, [&] { ran.push_back(3); });
  s.cancel(dropped);
  s.cancel(dropped);  // a second cancel of the same token is harmless
  s.processEvents();
  EXPECT_EQ(ran, (std::vector<int>{1, 3}));
  EXPECT_FALSE(s.runUntil([] { return false; }, 0));
}

TEST(LoopScheduler, ACallThatWaitsLetsLaterCallsRunInsideItsWait) {
  LoopScheduler s;
  std::vector<std::string> ran;
  s.post(0, [&] {
    ran.push_back("outer begins");
    s.post(1000, [&] { ran.push_back("inner"); });
    s.waitPumping(20);
    ran.push_back("outer ends");
  });
  EXPECT_TRUE(s.runUntil([&] { return ran.size() == 3; }, 5000));
  EXPECT_EQ(ran, (std::vector<std::string>{"outer begins", "inner", "outer ends"}));
  EXPECT_GE(s.nowMs(), 20);
}

TEST(LoopScheduler, APostFromAnotherThreadRunsOnTheLoopThread) {
  LoopScheduler s;
  std::atomic<bool> ran{false};
  std::thread::id where;
  std::thread reader([&] {
    s.post(0, [&] {
      where = std::this_thread::get_id();
      ran = true;
    });
  });
  EXPECT_TRUE(s.runUntil([&] { return ran.load(); }, 10000));
  reader.join();
  EXPECT_EQ(where, std::this_thread::get_id());
}

TEST(LoopScheduler, AFlagRaisedWithoutAPostIsSeenBeforeTheLimit) {
  // A signal handler only sets a flag; the loop must notice it without being woken.
  LoopScheduler s;
  std::atomic<bool> flag{false};
  std::thread raiser([&] { flag = true; });
  EXPECT_TRUE(s.runUntil([&] { return flag.load(); }, 60000, 5));
  raiser.join();
  EXPECT_LT(s.nowMs(), 60000);
}

}  // namespace
}  // namespace lyra
