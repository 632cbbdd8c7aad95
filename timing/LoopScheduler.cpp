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
  const Token seq = nextSeq_++;
  queue_.emplace(Key{due, seq}, std::move(fn));
  dueOf_.emplace(seq, due);
  posted_.notify_all();
  return seq;
}

void LoopScheduler::cancel(Token token) {
  std::unique_lock lock(mutex_);
  auto it = dueOf_.find(token);
  if (it == dueOf_.end()) return;
  queue_.erase(Key{it->second, token});
  dueOf_.erase(it);
}

bool LoopScheduler::runOneDue() {
  std::function<void()> fn;
  {
    std::unique_lock lock(mutex_);
    if (queue_.empty()) return false;
    auto it = queue_.begin();
    if (it->first.dueUs > nowUs()) return false;
    fn = std::move(it->second);
    dueOf_.erase(it->first.seq);
    queue_.erase(it);
  }
  fn();  // may post, cancel or wait (a nested loop) itself
  return true;
}

void LoopScheduler::sleepUntil(std::int64_t untilUs) {
  std::unique_lock lock(mutex_);
  const Token seen = nextSeq_;
  std::int64_t wakeUs = untilUs;
  if (!queue_.empty()) wakeUs = std::min(wakeUs, queue_.begin()->first.dueUs);
  const std::int64_t delayUs = wakeUs - nowUs();
  if (delayUs <= 0) return;
  posted_.wait_for(lock, std::chrono::microseconds(delayUs), [&] { return nextSeq_ != seen; });
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
