#pragma once
// The calls a scheduler holds, by deadline: the one due first runs first, and of calls due at the
// same instant the one posted first (tokens are a sequence). Not thread-safe: each scheduler
// guards its queue with its own mutex.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "timing/Scheduler.h"

namespace lyra {

class DeadlineQueue {
 public:
  using Token = Scheduler::Token;
  struct Due {
    std::int64_t dueUs;
    std::function<void()> fn;
  };

  Token push(std::int64_t dueUs, std::function<void()> fn);
  void cancel(Token token);  // a token already run or cancelled is ignored
  // Takes out the first call due at or before limitUs; none when nothing is due by then.
  std::optional<Due> popDue(std::int64_t limitUs);
  std::optional<std::int64_t> firstDueUs() const;
  std::size_t size() const { return calls_.size(); }
  // The token the next push returns: it changes with every push.
  Token nextToken() const { return next_; }

 private:
  struct Key {
    std::int64_t dueUs;
    Token token;
    bool operator<(const Key& o) const {
      return dueUs != o.dueUs ? dueUs < o.dueUs : token < o.token;
    }
  };
  Token next_ = 1;
  std::map<Key, std::function<void()>> calls_;
  std::map<Token, std::int64_t> dueOf_;  // token -> due time, for cancel()
};

}  // namespace lyra
