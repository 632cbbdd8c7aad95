#include "simserver/PtyPort.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace lyra {

namespace fs = std::filesystem;

namespace {

constexpr int kHighestPortNumber = 99;

// The folder holds links that the program will open; in a shared /tmp it must be the user's own,
// or another user could plant a link there.
bool makePrivateFolder(const std::string& folder, std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    error = "cannot make the port folder " + folder + (ec ? ": " + ec.message() : "");
    return false;
  }
  if (st.st_uid != ::getuid()) {
    error = "the port folder " + folder + " belongs to another user";
    return false;
  }
  ::chmod(folder.c_str(), 0700);
  return true;
}

bool isLiveLink(const fs::path& p) {
  std::error_code ec;
  return fs::is_symlink(fs::symlink_status(p, ec)) && fs::exists(p, ec);
}

}  // namespace

PtyPort::~PtyPort() {
  close();
}

bool PtyPort::fail(const std::string& what) {
  error_ = what + ": " + std::strerror(errno);
  return false;
}

bool PtyPort::makeTerminal() {
  const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return fail("posix_openpt");
  if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0) {
    ::close(fd);
    return fail("unlockpt");
  }
  const char* name = ::ptsname(fd);
  if (!name) {
    ::close(fd);
    return fail("ptsname");
  }
  if (master_ >= 0) ::close(master_);
  master_ = fd;
  terminalPath_ = name;
  return true;
}

bool PtyPort::publish(const std::string& folder, int number) {
  if (!makePrivateFolder(folder, error_)) return false;
  const int first = number < 0 ? 0 : number;
  const int last = number < 0 ? kHighestPortNumber : number;
  for (int n = first; n <= last; ++n) {
    const fs::path link = fs::path(folder) / ("ttySIM" + std::to_string(n));
    if (isLiveLink(link)) continue;  // another simulator serves it
    // A dangling link is what a simulator that was killed left behind: take its place.
    std::error_code ec;
    fs::remove(link, ec);
    if (::symlink(terminalPath_.c_str(), link.c_str()) == 0) {
      linkPath_ = link.string();
      return true;
    }
    if (errno != EEXIST) return fail("symlink " + link.string());
  }
  error_ = number < 0 ? "no free ttySIM number in " + folder
                      : "ttySIM" + std::to_string(number) + " is already served";
  return false;
}

bool PtyPort::open(const std::string& folder, int number) {
  if (!makeTerminal()) return false;
  if (!publish(folder, number)) {
    ::close(master_);
    master_ = -1;
    return false;
  }
  return true;
}

bool PtyPort::isHungUp(int masterFd) {
  pollfd p{masterFd, POLLIN, 0};
  return ::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP) && !(p.revents & POLLIN);
}

int PtyPort::renew() {
  if (linkPath_.empty() || master_ < 0) return -1;
  const int old = master_;
  const std::string oldPath = terminalPath_;
  master_ = -1;  // makeTerminal() must not close it
  if (!makeTerminal()) {
    master_ = old;
    return -1;
  }
  // Point the link at the new terminal in one step: a new link beside it, renamed over it.
  const std::string fresh = linkPath_ + ".new";
  ::unlink(fresh.c_str());
  if (::symlink(terminalPath_.c_str(), fresh.c_str()) != 0 ||
      ::rename(fresh.c_str(), linkPath_.c_str()) != 0) {
    fail("re-pointing " + linkPath_);
    ::close(master_);
    master_ = old;
    terminalPath_ = oldPath;
    return -1;
  }
  return old;
}

void PtyPort::close() {
  if (!linkPath_.empty()) {
    // Only our own link: another simulator may have taken the name if ours was removed.
    char target[4096];
    const ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == terminalPath_)
      ::unlink(linkPath_.c_str());
    linkPath_.clear();
  }
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

int PtyPort::read(int masterFd, std::uint8_t* buffer, int maxBytes) {
  if (masterFd < 0) return -1;
  const ssize_t n = ::read(masterFd, buffer, static_cast<std::size_t>(maxBytes));
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
  return static_cast<int>(n < 0 ? -1 : n);
}

void PtyPort::write(int masterFd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (masterFd >= 0 && done < bytes.size()) {
    const ssize_t n = ::write(masterFd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;  // nobody on the other end, or its buffer is full: the bytes are lost
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace lyra
