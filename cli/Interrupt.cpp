#include "cli/Interrupt.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace lyra::cli {

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

#ifdef _WIN32
// The console runs its handlers on a thread of their own. Ctrl-C and Ctrl-Break raise the flag
// the first time and return TRUE (handled: the tool goes on and ends itself); the second time
// they return FALSE, and the system's default handler ends the tool at once. Closing the console,
// logging off and shutting down are left to the default handler.
BOOL WINAPI OnConsoleControl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
  return interrupted.exchange(true) ? FALSE : TRUE;
}
#else
extern "C" void OnInterrupt(int) {
  interrupted.store(true);
  std::signal(SIGINT, SIG_DFL);  // the next Ctrl-C ends the tool at once
}
#endif

}  // namespace

void InstallInterruptHandler() {
#ifdef _WIN32
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
  std::signal(SIGINT, OnInterrupt);
#endif
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
