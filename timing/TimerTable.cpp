#include "timing/TimerTable.h"

namespace lyra {

NamedTimer::NamedTimer(Scheduler& scheduler, const char* name, int intervalMs)
    : scheduler_(scheduler), name_(name), intervalMs_(intervalMs) {}

void NamedTimer::start() {
  if (active_) return;
  active_ = true;
  arm();
}

void NamedTimer::stop() {
  if (!active_) return;
  active_ = false;
  scheduler_.cancel(pending_);
  pending_ = 0;
}

void NamedTimer::arm() {
  pending_ = scheduler_.post(std::int64_t{intervalMs_} * 1000, [this] { fire(); });
}

void NamedTimer::wake() {
  if (active_ && pending_ == 0) arm();
}

void NamedTimer::fire() {
  pending_ = 0;
  if (!active_) return;
  if (hasWork && !hasWork()) return;  // asleep until wake()
  arm();
  if (onTick) onTick();
}

TimerTable::TimerTable(Scheduler& s)
    : Timer124(s, "Timer124", 10),
      Timer13(s, "Timer13", 1000),
      refurbish(s, "refurbish", 3000),
      brocar1(s, "brocar1", 3000),
      Timer1(s, "Timer1", 500),
      intimer(s, "intimer", 2000),
      sendTimer(s, "sendTimer", 10),
      Timer7(s, "Timer7", 200),
      Timer4(s, "Timer4", 300),
      chcon(s, "chcon", 800),
      chcon112(s, "chcon112", 1500),
      chcon188(s, "chcon188", 2500),
      Timer6(s, "Timer6", 2000),
      Timer2(s, "Timer2", 10),
      Timer3(s, "Timer3", 1000),
      Timer22(s, "Timer22", 12000),
      Timer11(s, "Timer11", 10),
      Timer8(s, "Timer8", 700),
      Timer9(s, "Timer9", 16000),
      Timer10(s, "Timer10", 1000),
      Timer12(s, "Timer12", 800),
      Timer342(s, "Timer342", 200),
      Timer333(s, "Timer333", 300),
      Timer332(s, "Timer332", 1500),
      trunon1(s, "trunon1", 10),
      FSaveDialog3(s, "FSaveDialog3", 10),
      FSaveDialog4(s, "FSaveDialog4", 10),
      tmr1(s, "tmr1", 3000) {}

std::array<NamedTimer*, TimerTable::kCount> TimerTable::all() {
  return {&Timer124, &Timer13,  &refurbish, &brocar1,  &Timer1,   &intimer,      &sendTimer,
          &Timer7,   &Timer4,   &chcon,     &chcon112, &chcon188, &Timer6,       &Timer2,
          &Timer3,   &Timer22,  &Timer11,   &Timer8,   &Timer9,   &Timer10,      &Timer12,
          &Timer342, &Timer333, &Timer332,  &trunon1,  &FSaveDialog3, &FSaveDialog4, &tmr1};
}

void TimerTable::startEnabledAtStart() {
  Timer124.start();
  Timer13.start();
  refurbish.start();
  brocar1.start();
}

void TimerTable::stopAll() {
  for (NamedTimer* t : all()) t->stop();
}

}  // namespace lyra
