#pragma once
// lyraphone-sim run as its own process, as a user runs it, with its virtual-port folder in a
// private temporary XDG_RUNTIME_DIR so that tests never meet a simulator the user started.

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace lyra::test {

// The argument and environment vectors of a child program that runs with its own
// XDG_RUNTIME_DIR, for posix_spawn.
class ChildCommand {
 public:
  ChildCommand(const char* program, const std::vector<std::string>& args,
               const std::string& runtimeDir) {
    args_ = {program};
    args_.insert(args_.end(), args.begin(), args.end());
    for (char** e = environ; *e; ++e)
      if (std::string(*e).rfind("XDG_RUNTIME_DIR=", 0) != 0) env_.emplace_back(*e);
    env_.push_back("XDG_RUNTIME_DIR=" + runtimeDir);
    for (auto& a : args_) argv_.push_back(a.data());
    argv_.push_back(nullptr);
    for (auto& e : env_) envp_.push_back(e.data());
    envp_.push_back(nullptr);
  }
  ChildCommand(const ChildCommand&) = delete;
  ChildCommand& operator=(const ChildCommand&) = delete;

  char* const* argv() const { return argv_.data(); }
  char* const* envp() const { return envp_.data(); }

 private:
  std::vector<std::string> args_;
  std::vector<std::string> env_;
  std::vector<char*> argv_;
  std::vector<char*> envp_;
};

class SimProcess {
 public:
  SimProcess() {
    char dir[] = "/tmp/lyra-sim-test-XXXXXX";
    if (::mkdtemp(dir)) runtimeDir_ = dir;
  }
  ~SimProcess() {
    stop(SIGKILL);
    std::error_code ec;
    if (!runtimeDir_.empty() && !std::getenv("LYRA_KEEP_TEST_FOLDERS"))
      std::filesystem::remove_all(runtimeDir_, ec);
  }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  const std::string& runtimeDir() const { return runtimeDir_; }
  std::string portFolder() const { return runtimeDir_ + "/lyraphone/ports"; }

  // Starts lyraphone-sim with args; its standard output comes through a pipe. A request may
  // pause 5 s between its bytes here, not 0.5 s: the tests' programs pause 50..100 ms inside an
  // upload, and on a machine busy with sanitizer builds such a pause has stretched past 0.5 s,
  // so that the simulated device dropped the upload and the test failed for the machine's load.
  bool start(std::vector<std::string> args) {
    args.insert(args.begin(), {"--frame-gap-ms", "5000"});
    int out[2];
    if (runtimeDir_.empty() || ::pipe(out) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const ChildCommand command(LYRAPHONE_SIM, args, runtimeDir_);
    const int rc =
        ::posix_spawn(&pid_, LYRAPHONE_SIM, &actions, nullptr, command.argv(), command.envp());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    stdout_ = out[0];
    if (rc != 0) pid_ = -1;
    return rc == 0;
  }

  // The next line of its standard output, waiting at most timeoutMs (real time) for it. The
  // default is generous: a sanitizer build on a machine busy with other builds may take seconds
  // to start the simulator, and a line that comes returns at once.
  std::string readLine(int timeoutMs = 30000) {
    std::string line;
    for (;;) {
      if (const auto nl = buffered_.find('\n'); nl != std::string::npos) {
        line = buffered_.substr(0, nl);
        buffered_.erase(0, nl + 1);
        return line;
      }
      pollfd p{stdout_, POLLIN, 0};
      if (::poll(&p, 1, timeoutMs) <= 0) return line;
      char buf[256];
      const ssize_t n = ::read(stdout_, buf, sizeof buf);
      if (n <= 0) return line;
      buffered_.append(buf, static_cast<std::size_t>(n));
    }
  }

  // Everything it writes until it closes its standard output.
  std::string readAll(int timeoutMs = 5000) {
    std::string all = buffered_;
    buffered_.clear();
    for (;;) {
      pollfd p{stdout_, POLLIN, 0};
      if (::poll(&p, 1, timeoutMs) <= 0) return all;
      char buf[1024];
      const ssize_t n = ::read(stdout_, buf, sizeof buf);
      if (n <= 0) return all;
      all.append(buf, static_cast<std::size_t>(n));
    }
  }

  // Sends the signal and waits for the process; its exit status, or -1.
  int stop(int signal = SIGTERM) {
    if (pid_ <= 0) return -1;
    ::kill(pid_, signal);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    if (stdout_ >= 0) ::close(stdout_);
    stdout_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Waits for a process that ends by itself.
  int wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  std::string runtimeDir_;
  pid_t pid_ = -1;
  int stdout_ = -1;
  std::string buffered_;
};

}  // namespace lyra::test
