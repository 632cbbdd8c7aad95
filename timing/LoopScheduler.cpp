#include "timing/LoopScheduler.h"

#include <algorithm>

namespace lyra {

LoopScheduler::LoopScheduler() : start_(std::chrono::steady_clock::now()) {}

std::int64_t LoopScheduler::nowUs() const {
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

Scheduler::Token LoopScheduler::post(std::int64_t delayUs, std::function<void()> fn) {
  const std::int64_t due = nowUs() + std::max<std::int64_t>(delayUs, 0);
  std::unique_lock lock(mutex_);
  const Token token = queue_.push(due, std::move(fn));
  posted_.notify_all();
  return token;
}

void LoopScheduler::cancel(Token token) {
  std::unique_lock lock(mutex_);
  queue_.cancel(token);
}

bool LoopScheduler::runOneDue() {
  std::function<void()> fn;
  {
    std::unique_lock lock(mutex_);
    auto due = queue_.popDue(nowUs());
    if (!due) return false;
    fn = std::move(due->fn);
  }
  fn();  // may post, cancel or wait (a nested loop) itself
  return true;
}

void LoopScheduler::sleepUntil(std::int64_t untilUs) {
  std::unique_lock lock(mutex_);
  const Token seen = queue_.nextToken();
  const std::int64_t wakeUs = std::min(untilUs, queue_.firstDueUs().value_or(untilUs));
  const std::int64_t delayUs = wakeUs - nowUs();
  if (delayUs <= 0) return;
  posted_.wait_for(lock, std::chrono::microseconds(delayUs), [&] { return queue_.nextToken() != seen; });
}

void LoopScheduler::processEvents() {
  while (runOneDue()) {
  }
}

void LoopScheduler::waitPumping(int ms) {
  const std::int64_t deadline = nowUs() + std::int64_t{ms} * 1000;
  for (;;) {
    processEvents();
    if (nowUs() >= deadline) return;
    sleepUntil(deadline);
  }
}

bool LoopScheduler::runUntil(const std::function<bool()>& pred, std::int64_t limitMs,
                             int checkEveryMs) {
  const std::int64_t deadline = nowUs() + limitMs * 1000;
  for (;;) {
    while (!pred() && runOneDue()) {
    }
    if (pred()) return true;
    const std::int64_t now = nowUs();
    if (now >= deadline) return false;
    sleepUntil(std::min(deadline, now + std::int64_t{checkEveryMs} * 1000));
  }
}

}  // namespace lyra
