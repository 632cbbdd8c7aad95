#pragma once
// The program's Scheduler: Qt's event loop and precise single-shot timers on the window thread.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <unordered_set>

#include "timing/Scheduler.h"

namespace lyra {

class QtScheduler final : public Scheduler {
 public:
  QtScheduler();
  ~QtScheduler() override;

  std::int64_t nowUs() const override { return clock_.nsecsElapsed() / 1000; }
  Token post(std::int64_t delayUs, std::function<void()> fn) override;
  void cancel(Token token) override;
  void processEvents() override;
  void waitPumping(int ms) override;

 private:
  void arm(Token token, std::int64_t delayUs, std::function<void()> fn);

  QElapsedTimer clock_;
  QObject context_;  // lives on the window thread; queued calls from the reader land here
  std::atomic<Token> nextToken_{1};
  std::unordered_set<Token> armed_;  // posted and not yet run or cancelled; window thread only
};

}  // namespace lyra
