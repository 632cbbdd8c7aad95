// lyraphone-sim: simulated loudspeaker processors on a pseudo-terminal, for trying LYRAPHONE
// without hardware and for reproducing a support case. See --help and docs/simulator.md.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "serial/VirtualPorts.h"
#include "simserver/PollLoop.h"
#include "simserver/SimOptions.h"
#include "simserver/SimServer.h"
#include "simserver/TrafficLog.h"

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
  errno = saved;
}

bool installSignals() {
  if (::pipe2(signalPipe, O_NONBLOCK | O_CLOEXEC) != 0) return false;
  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  // SIGHUP too: a closed terminal must not leave the link behind.
  for (int s : {SIGINT, SIGTERM, SIGHUP})
    if (::sigaction(s, &sa, nullptr) != 0) return false;
  ::signal(SIGPIPE, SIG_IGN);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace lyra;
  std::string error;
  const auto options = parseSimOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "lyraphone-sim: %s\nTry 'lyraphone-sim --help'.\n", error.c_str());
    return 2;
  }
  if (options->help) {
    std::fputs(simUsage().c_str(), stdout);
    return 0;
  }

  std::FILE* logFile = nullptr;
  if (options->logPath == "-") {
    logFile = stderr;
  } else if (!options->logPath.empty()) {
    logFile = std::fopen(options->logPath.c_str(), "a");
    if (!logFile) {
      std::fprintf(stderr, "lyraphone-sim: cannot write the log %s: %s\n", options->logPath.c_str(),
                   std::strerror(errno));
      return 1;
    }
  }
  if (!installSignals()) {
    std::fprintf(stderr, "lyraphone-sim: cannot set up signal handling: %s\n",
                 std::strerror(errno));
    return 1;
  }

  PollLoop loop;
  TrafficLog log(logFile);
  SimServer server(loop, *options, log);
  if (!server.start(virtualPortFolder())) {
    std::fprintf(stderr, "lyraphone-sim: %s\n", server.error().c_str());
    return 1;
  }
  loop.watch(signalPipe[0], [&loop](bool, bool) { loop.stop(); });

  // The first line is the port's path alone, for scripts and tests.
  std::printf("%s\n", server.linkPath().c_str());
  for (const auto& d : server.devices())
    std::printf("device: DeviceId %d (BusAddress 0x%02X)%s\n", d->deviceId(), d->busAddress(),
                d->faults().any() ? " with faults" : "");
  for (const auto& l : server.listeners()) std::printf("listening: %s\n", l->address().c_str());
  std::printf("Stop with Ctrl-C; the port's link is removed then.\n");
  std::fflush(stdout);

  loop.run();
  server.stop();
  log.note(loop.nowUs(), "stopped");
  if (logFile && logFile != stderr) std::fclose(logFile);
  return 0;
}
