#include "timing/VirtualScheduler.h"

#include <algorithm>

namespace lyra {

Scheduler::Token VirtualScheduler::post(std::int64_t delayUs, std::function<void()> fn) {
  std::unique_lock lock(mutex_);
  const Token token = queue_.push(nowUs_ + std::max<std::int64_t>(delayUs, 0), std::move(fn));
  posted_.notify_all();
  return token;
}

void VirtualScheduler::cancel(Token token) {
  std::unique_lock lock(mutex_);
  queue_.cancel(token);
}

std::size_t VirtualScheduler::pendingCount() const {
  std::unique_lock lock(mutex_);
  return queue_.size();
}

bool VirtualScheduler::runOneDue(std::int64_t targetUs) {
  std::function<void()> fn;
  {
    std::unique_lock lock(mutex_);
    auto due = queue_.popDue(targetUs);
    if (!due) return false;
    if (due->dueUs > nowUs_) nowUs_ = due->dueUs;
    fn = std::move(due->fn);
  }
  fn();  // may post, cancel, or pump (nested waitPumping) itself
  return true;
}

void VirtualScheduler::runUntil(std::int64_t targetUs) {
  while (runOneDue(targetUs)) {
  }
  // A nested wait inside one of the calls may already have carried the clock past the target.
  if (targetUs > nowUs_) nowUs_ = targetUs;
}

void VirtualScheduler::processEvents() { runUntil(nowUs()); }

void VirtualScheduler::waitPumping(int ms) { runUntil(nowUs() + std::int64_t{ms} * 1000); }

bool VirtualScheduler::advanceUntil(const std::function<bool()>& pred, std::int64_t limitMs) {
  const std::int64_t limitUs = nowUs() + limitMs * 1000;
  while (!pred()) {
    std::int64_t next;
    {
      std::unique_lock lock(mutex_);
      const auto first = queue_.firstDueUs();
      if (!first) break;
      next = *first;
    }
    if (next > limitUs) break;
    runUntil(next);
  }
  if (!pred()) {
    runUntil(limitUs);
    return pred();
  }
  return true;
}

}  // namespace lyra

namespace lyra {

bool VirtualScheduler::waitForPost(std::chrono::milliseconds realLimit) {
  std::unique_lock lock(mutex_);
  const bool got = posted_.wait_for(lock, realLimit, [this] { return queue_.nextToken() > seenSeq_; });
  seenSeq_ = queue_.nextToken();
  return got;
}

}  // namespace lyra
