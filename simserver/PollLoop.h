#pragma once
// lyraphone-sim's main loop: the Scheduler seam on the real clock, driven by poll() over the few
// file descriptors the simulator serves (the pseudo-terminal and the signal pipe).
//
// The simulator is a small single-threaded server with no window, so a poll() loop is all it
// needs; it also gives it direct sight of a pseudo-terminal's hang-up, which it acts on (see
// PtyPort). POSIX only, like the pseudo-terminal it serves.

#include <chrono>
#include <functional>
#include <map>
#include <mutex>

#include "timing/DeadlineQueue.h"
#include "timing/Scheduler.h"

namespace lyra {

class PollLoop final : public Scheduler {
 public:
  // What a watched descriptor reported: readable and/or hung up (POLLHUP, POLLERR).
  using FdHandler = std::function<void(bool readable, bool hungUp)>;

  PollLoop();

  std::int64_t nowUs() const override;
  Token post(std::int64_t delayUs, std::function<void()> fn) override;
  void cancel(Token token) override;
  void processEvents() override;
  void waitPumping(int ms) override;

  // Watches fd until unwatch(fd); a descriptor that is hung up can be paused with
  // setActive(fd, false) so that poll() does not report it again and again.
  void watch(int fd, FdHandler handler);
  void unwatch(int fd);
  void setActive(int fd, bool active);

  // Runs until stop() is called (from a handler or a posted call).
  void run();
  void stop() { stopping_ = true; }

 private:
  // Waits for the descriptors at most until the next due call (or maxWaitUs), handles what they
  // report, then runs every call that is due.
  void runOnce(std::int64_t maxWaitUs);
  bool runOneDue();
  std::int64_t nextDueUs() const;

  struct Watch {
    FdHandler handler;
    bool active = true;
  };
  std::chrono::steady_clock::time_point start_;
  mutable std::mutex mutex_;  // post() may be called from any thread
  DeadlineQueue queue_;
  std::map<int, Watch> watches_;
  bool stopping_ = false;
};

}  // namespace lyra
