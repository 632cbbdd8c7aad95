#include "cli/Interrupt.h"

#include <atomic>
#include <csignal>

namespace lyra::cli {

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

extern "C" void OnInterrupt(int) {
  interrupted.store(true);
  std::signal(SIGINT, SIG_DFL);  // the next Ctrl-C ends the tool at once
}

}  // namespace

void InstallInterruptHandler() {
  std::signal(SIGINT, OnInterrupt);
}

bool Interrupted() {
  return interrupted.load();
}

void RaiseInterrupt() {
  interrupted.store(true);
}

void ClearInterrupt() {
  interrupted.store(false);
}

}  // namespace lyra::cli
