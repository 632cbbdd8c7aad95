#include "simserver/PollLoop.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace lyra {

namespace {
constexpr std::int64_t kNoDeadline = INT64_MAX;
}

PollLoop::PollLoop() : start_(std::chrono::steady_clock::now()) {}

std::int64_t PollLoop::nowUs() const {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

Scheduler::Token PollLoop::post(std::int64_t delayUs, std::function<void()> fn) {
  const std::int64_t dueUs = nowUs() + std::max<std::int64_t>(0, delayUs);
  std::lock_guard lock(mutex_);
  return queue_.push(dueUs, std::move(fn));
}

void PollLoop::cancel(Token token) {
  std::lock_guard lock(mutex_);
  queue_.cancel(token);
}

std::int64_t PollLoop::nextDueUs() const {
  std::lock_guard lock(mutex_);
  return queue_.firstDueUs().value_or(kNoDeadline);
}

bool PollLoop::runOneDue() {
  std::optional<DeadlineQueue::Due> due;
  {
    std::lock_guard lock(mutex_);
    due = queue_.popDue(nowUs());
  }
  if (!due) return false;
  due->fn();
  return true;
}

void PollLoop::watch(int fd, FdHandler handler) {
  watches_[fd] = {std::move(handler), true};
}
void PollLoop::unwatch(int fd) {
  watches_.erase(fd);
}
void PollLoop::setActive(int fd, bool active) {
  if (auto it = watches_.find(fd); it != watches_.end()) it->second.active = active;
}

void PollLoop::runOnce(std::int64_t maxWaitUs) {
  std::vector<pollfd> fds;
  for (const auto& [fd, w] : watches_)
    if (w.active) fds.push_back({fd, POLLIN, 0});
  const std::int64_t untilDueUs = std::max<std::int64_t>(0, nextDueUs() - nowUs());
  const std::int64_t waitUs = std::min(maxWaitUs, untilDueUs);
  // poll() counts milliseconds; round up so a call is never run early, and the bytes of a reply,
  // a millisecond apart, still go out close to their time.
  const int waitMs = waitUs >= INT32_MAX / 2 ? -1 : static_cast<int>((waitUs + 999) / 1000);
  const int n = ::poll(fds.data(), fds.size(), waitMs);
  if (n > 0) {
    for (const pollfd& p : fds) {
      if (p.revents == 0) continue;
      auto it = watches_.find(p.fd);
      if (it == watches_.end() || !it->second.active) continue;  // unwatched by an earlier handler
      const FdHandler handler = it->second.handler;
      handler((p.revents & POLLIN) != 0, (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0);
    }
  }
  while (runOneDue()) {
  }
}

void PollLoop::processEvents() {
  runOnce(0);
}

void PollLoop::waitPumping(int ms) {
  const std::int64_t untilUs = nowUs() + std::int64_t{ms} * 1000;
  while (!stopping_ && nowUs() < untilUs) runOnce(untilUs - nowUs());
}

void PollLoop::run() {
  stopping_ = false;
  while (!stopping_) runOnce(kNoDeadline);
}

}  // namespace lyra
