#pragma once
// lyraphone-sim as a child process of a bench: started from beside the bench's own program, its
// first output line (the port's path) read back, and stopped with SIGTERM so it removes its link.

#include <sys/types.h>

#include <string>
#include <vector>

namespace lyra::bench {

struct SimulatorProcess {
  pid_t pid = -1;
  std::string port;  // the published path, e.g. /tmp/lyraphone-ports/ttySIM0
  bool started() const { return pid > 0 && !port.empty(); }
};

// Starts `<folder of argv0>/lyraphone-sim args...`; started() is false when it did not come up.
SimulatorProcess startSimulator(const char* argv0, const std::vector<std::string>& args);
// Sends SIGTERM and waits; returns the simulator's exit status as waitpid gives it.
int stopSimulator(SimulatorProcess& sim);

}  // namespace lyra::bench
