#pragma once
// A pseudo-terminal pair for tests that use a real port: the program opens the slave side by its
// path with the real driver; the test plays the device on the master side.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lyra::test {

class PseudoTerminal {
 public:
  PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    slavePath_ = ::ptsname(master_);
  }
  ~PseudoTerminal() { closeMaster(); }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool ok() const { return master_ >= 0 && !slavePath_.empty(); }
  const std::string& slavePath() const { return slavePath_; }

  bool send(const std::vector<std::uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }

  // Whatever the program has written, waiting at most timeoutMs (real time) for the first byte
  // and then until the line has been quiet for quietMs.
  std::vector<std::uint8_t> receive(int timeoutMs = 2000, int quietMs = 50) {
    std::vector<std::uint8_t> got;
    int wait = timeoutMs;
    for (;;) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, wait) <= 0 || !(p.revents & POLLIN)) return got;
      std::uint8_t buf[512];
      ssize_t n = ::read(master_, buf, sizeof buf);
      if (n <= 0) return got;
      got.insert(got.end(), buf, buf + n);
      wait = quietMs;
    }
  }

  void closeMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string slavePath_;
};

}  // namespace lyra::test
