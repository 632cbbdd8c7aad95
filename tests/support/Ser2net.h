#pragma once
// ser2net, the Debian serial device server, run by a test: its own configuration in the test's
// folder, on 127.0.0.1 and a free port, in front of a serial port (the simulator's
// pseudo-terminal), killed when the test ends. Its complaints go to a file of the folder.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace lyra::test {

inline constexpr const char* kSer2net = "/usr/sbin/ser2net";

inline bool ser2netInstalled() { return std::filesystem::exists(kSer2net); }

// A TCP port on 127.0.0.1 that nothing listens on right now.
inline int freeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  ::close(fd);
  return port;
}

inline bool loopbackAccepts(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

// Polls condition every 50 ms for at most limit; whether it came true.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(60)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

class Ser2net {
 public:
  Ser2net() = default;
  ~Ser2net() { stop(); }
  Ser2net(const Ser2net&) = delete;
  Ser2net& operator=(const Ser2net&) = delete;

  // Serves device (9600 8N1) as rfc2217 (telnet, with a banner) or raw TCP; the address to give
  // the program, or "" when ser2net did not come up.
  std::string start(const std::string& folder, const std::string& device, bool telnet) {
    const int port = freeLoopbackPort();
    if (port == 0) return {};
    const std::string config = folder + "/ser2net.yaml";
    std::ofstream(config) << "%YAML 1.1\n---\n"
                          << "connection: &lyra\n"
                          << "  accepter: " << (telnet ? "telnet(rfc2217),tcp," : "tcp,")
                          << "127.0.0.1," << port << "\n"
                          << "  connector: serialdev," << device << ",9600n81,local\n"
                          << "  options:\n"
                          << (telnet ? "    banner: \"LYRAPHONE test rack\\r\\n\"\n" : "")
                          << "    kickolduser: false\n";
    std::vector<std::string> args = {kSer2net, "-n", "-u", "-c", config};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (folder + "/ser2net.err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int rc = ::posix_spawn(&pid_, kSer2net, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
      pid_ = -1;
      return {};
    }
    if (!waitUntil([port] { return loopbackAccepts(port); })) return {};
    return std::string(telnet ? "rfc2217" : "tcp") + "://127.0.0.1:" + std::to_string(port);
  }

  bool running() const { return pid_ > 0; }
  // Kills it at once, as a device server that is switched off.
  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

}  // namespace lyra::test
