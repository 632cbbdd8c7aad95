#pragma once
// Real time without Qt, for the command-line tool: a queue of deadlines that the tool's main
// thread runs. post() is callable from any thread (the serial reader thread posts each received
// burst); everything else runs on the thread that runs the loop.
//
// Calls due at the same instant run in the order they were posted. A call may itself wait
// (waitPumping): the loop then runs nested until that wait's deadline, as the window's event loop
// does inside a modal wait.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "timing/DeadlineQueue.h"

namespace lyra {

class LoopScheduler final : public Scheduler {
 public:
  LoopScheduler();

  std::int64_t nowUs() const override;
  Token post(std::int64_t delayUs, std::function<void()> fn) override;
  void cancel(Token token) override;
  void processEvents() override;
  void waitPumping(int ms) override;

  // Runs due calls until pred() holds or limitMs have passed; returns pred(). pred is checked
  // after every call and at least every checkEveryMs while nothing is due, so a flag raised by a
  // signal handler (which cannot wake the loop) is seen soon.
  bool runUntil(const std::function<bool()>& pred, std::int64_t limitMs, int checkEveryMs = 50);

 private:
  // Runs the first call due by now; false when none is.
  bool runOneDue();
  // Sleeps until the first call falls due, something is posted, or untilUs, whichever is first.
  void sleepUntil(std::int64_t untilUs);

  const std::chrono::steady_clock::time_point start_;
  mutable std::mutex mutex_;
  std::condition_variable posted_;
  DeadlineQueue queue_;
};

}  // namespace lyra
