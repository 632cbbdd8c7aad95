#include "app/QtScheduler.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

namespace lyra {

QtScheduler::QtScheduler() { clock_.start(); }

QtScheduler::~QtScheduler() = default;

Scheduler::Token QtScheduler::post(std::int64_t delayUs, std::function<void()> fn) {
  const Token token = nextToken_++;
  if (QThread::currentThread() == context_.thread()) {
    arm(token, delayUs, std::move(fn));
  } else {
    // From the reader thread: the timer itself must be made on the window thread.
    QMetaObject::invokeMethod(
        &context_, [this, token, delayUs, fn = std::move(fn)]() mutable {
          arm(token, delayUs, std::move(fn));
        },
        Qt::QueuedConnection);
  }
  return token;
}

void QtScheduler::arm(Token token, std::int64_t delayUs, std::function<void()> fn) {
  // A lightweight single shot per call (the 10 ms SendPump tick makes a hundred a second); a
  // cancelled one still fires and finds its token gone.
  armed_.insert(token);
  // Qt's timers count whole milliseconds; round up so a call never runs early.
  const int ms = static_cast<int>((delayUs + 999) / 1000);
  QTimer::singleShot(ms, Qt::PreciseTimer, &context_, [this, token, fn = std::move(fn)] {
    if (armed_.erase(token) == 0) return;
    fn();
  });
}

void QtScheduler::cancel(Token token) {
  // A token that already ran is ignored. Calls posted from the reader thread are never
  // cancelled, so a token whose timer is still being made on the window thread cannot occur.
  armed_.erase(token);
}

void QtScheduler::processEvents() { QCoreApplication::processEvents(); }

void QtScheduler::waitPumping(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace lyra
