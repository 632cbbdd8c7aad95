#include "timing/DeadlineQueue.h"

namespace lyra {

DeadlineQueue::Token DeadlineQueue::push(std::int64_t dueUs, std::function<void()> fn) {
  const Token token = next_++;
  calls_.emplace(Key{dueUs, token}, std::move(fn));
  dueOf_.emplace(token, dueUs);
  return token;
}

void DeadlineQueue::cancel(Token token) {
  auto it = dueOf_.find(token);
  if (it == dueOf_.end()) return;
  calls_.erase(Key{it->second, token});
  dueOf_.erase(it);
}

std::optional<DeadlineQueue::Due> DeadlineQueue::popDue(std::int64_t limitUs) {
  if (calls_.empty()) return std::nullopt;
  auto it = calls_.begin();
  if (it->first.dueUs > limitUs) return std::nullopt;
  Due due{it->first.dueUs, std::move(it->second)};
  dueOf_.erase(it->first.token);
  calls_.erase(it);
  return due;
}

std::optional<std::int64_t> DeadlineQueue::firstDueUs() const {
  if (calls_.empty()) return std::nullopt;
  return calls_.begin()->first.dueUs;
}

}  // namespace lyra
