#pragma once
// Virtual time for tests: nothing sleeps; the clock jumps to the next deadline.
//
// Order of calls due at the same instant: the one posted first runs first (posting order is a
// sequence number), so every run of a scenario fires its ticks in the same order.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "timing/DeadlineQueue.h"

namespace lyra {

class VirtualScheduler final : public Scheduler {
 public:
  std::int64_t nowUs() const override { return nowUs_.load(); }
  Token post(std::int64_t delayUs, std::function<void()> fn) override;
  void cancel(Token token) override;
  void processEvents() override;
  void waitPumping(int ms) override;

  // Test helpers: advance the clock, running every call that falls due on the way.
  void advanceUs(std::int64_t us) { runUntil(nowUs() + us); }
  void advanceMs(std::int64_t ms) { runUntil(nowUs() + ms * 1000); }
  // Advances until pred() holds or limitMs of virtual time have passed; returns pred().
  bool advanceUntil(const std::function<bool()>& pred, std::int64_t limitMs);
  // For tests with a real thread on the other side (a real port): blocks, in real time, until
  // something has been posted since the last call, or realLimit passes. True if it was.
  bool waitForPost(std::chrono::milliseconds realLimit);
  // Number of calls still waiting.
  std::size_t pendingCount() const;

 private:
  void runUntil(std::int64_t targetUs);
  // Runs the first call due at or before targetUs; false when there is none.
  bool runOneDue(std::int64_t targetUs);

  // The clock moves on the window thread only; post() may read it from another thread.
  std::atomic<std::int64_t> nowUs_{0};
  mutable std::mutex mutex_;  // guards the queue: post() is callable from any thread
  DeadlineQueue queue_;
  std::condition_variable posted_;
  Token seenSeq_ = 1;  // waitForPost() has seen every post before this one
};

}  // namespace lyra
