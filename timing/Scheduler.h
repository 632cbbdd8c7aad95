#pragma once
// The Scheduler seam: the window thread's clock, its one-shot calls and WaitPumping.
//
// The program runs on Qt's event loop (app/QtScheduler); tests run on a virtual clock
// (VirtualScheduler) that jumps from deadline to deadline instead of sleeping, so that a 25 s bus
// search takes milliseconds and every run of a scenario is the same.

#include <cstdint>
#include <functional>

namespace lyra {

class Scheduler {
 public:
  using Token = std::uint64_t;  // names one posted call, for cancel()

  virtual ~Scheduler() = default;

  // Microseconds since the scheduler was made. Monotonic: it never wraps or goes back.
  virtual std::int64_t nowUs() const = 0;
  std::int64_t nowMs() const { return nowUs() / 1000; }

  // Runs fn once on the window thread, delayUs from now. Safe to call from any thread.
  virtual Token post(std::int64_t delayUs, std::function<void()> fn) = 0;
  // Forgets a posted call that has not run yet; a token that already ran is ignored.
  // Window thread only.
  virtual void cancel(Token token) = 0;

  // Lets the window handle everything that is waiting now (due calls, input), then returns.
  virtual void processEvents() = 0;

  // Waits ms milliseconds while the window keeps handling its events: timer ticks, received
  // bytes and clicks may run inside the wait. The program's pauses between frames use it.
  virtual void waitPumping(int ms) = 0;
};

}  // namespace lyra
