#include "timing/VirtualScheduler.h"

#include <algorithm>

namespace lyra {

Scheduler::Token VirtualScheduler::post(std::int64_t delayUs, std::function<void()> fn) {
  std::unique_lock lock(mutex_);
  Token seq = nextSeq_++;
  Key key{nowUs_ + std::max<std::int64_t>(delayUs, 0), seq};
  queue_.emplace(key, std::move(fn));
  dueOf_.emplace(seq, key.dueUs);
  posted_.notify_all();
  return seq;
}

void VirtualScheduler::cancel(Token token) {
  std::unique_lock lock(mutex_);
  auto it = dueOf_.find(token);
  if (it == dueOf_.end()) return;
  queue_.erase(Key{it->second, token});
  dueOf_.erase(it);
}

std::size_t VirtualScheduler::pendingCount() const {
  std::unique_lock lock(mutex_);
  return queue_.size();
}

bool VirtualScheduler::runOneDue(std::int64_t targetUs) {
  std::function<void()> fn;
  {
    std::unique_lock lock(mutex_);
    if (queue_.empty()) return false;
    auto it = queue_.begin();
    if (it->first.dueUs > targetUs) return false;
    if (it->first.dueUs > nowUs_) nowUs_ = it->first.dueUs;
    fn = std::move(it->second);
    dueOf_.erase(it->first.seq);
    queue_.erase(it);
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
      if (queue_.empty()) break;
      next = queue_.begin()->first.dueUs;
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
  const bool got = posted_.wait_for(lock, realLimit, [this] { return nextSeq_ > seenSeq_; });
  seenSeq_ = nextSeq_;
  return got;
}

}  // namespace lyra
