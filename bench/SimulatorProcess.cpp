#include "bench/SimulatorProcess.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace lyra::bench {

SimulatorProcess startSimulator(const char* argv0, const std::vector<std::string>& args) {
  const std::string program =
      (std::filesystem::path(argv0).parent_path() / "lyraphone-sim").string();
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  SimulatorProcess sim;
  int out[2];
  if (pipe(out) != 0) return sim;
  sim.pid = fork();
  if (sim.pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  char c;
  while (read(out[0], &c, 1) == 1 && c != '\n') sim.port += c;
  close(out[0]);
  if (!sim.started()) std::fprintf(stderr, "lyraphone-sim did not start (%s)\n", program.c_str());
  return sim;
}

int stopSimulator(SimulatorProcess& sim) {
  int status = 0;
  if (sim.pid > 0) {
    kill(sim.pid, SIGTERM);
    waitpid(sim.pid, &status, 0);
  }
  sim.pid = -1;
  return status;
}

}  // namespace lyra::bench
