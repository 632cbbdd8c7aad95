#include "timing/QtScheduler.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

namespace lyra {

QtScheduler::QtScheduler() { clock_.start(); }

QtScheduler::~QtScheduler() {
  for (auto& [token, timer] : armed_) delete timer;
}

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
  auto* timer = new QTimer(&context_);
  timer->setSingleShot(true);
  timer->setTimerType(Qt::PreciseTimer);
  // Qt's timers count whole milliseconds; round up so a call never runs early.
  timer->setInterval(static_cast<int>((delayUs + 999) / 1000));
  QObject::connect(timer, &QTimer::timeout, &context_, [this, token, timer, fn = std::move(fn)] {
    armed_.erase(token);
    timer->deleteLater();
    fn();
  });
  armed_.emplace(token, timer);
  timer->start();
}

void QtScheduler::cancel(Token token) {
  if (token == 0) return;
  auto it = armed_.find(token);
  if (it != armed_.end()) {
    it->second->stop();
    it->second->deleteLater();
    armed_.erase(it);
  }
  // A token that already ran is ignored. Calls posted from the reader thread are never
  // cancelled, so a token whose timer is still being made on the window thread cannot occur.
}

void QtScheduler::processEvents() { QCoreApplication::processEvents(); }

void QtScheduler::waitPumping(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace lyra
