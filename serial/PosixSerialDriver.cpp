#include "serial/PosixSerialDriver.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace lyra {

SerialError serialErrorFromErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO: return SerialError::NotFound;
    case EBUSY:
    case EWOULDBLOCK: return SerialError::Busy;
    case EACCES:
    case EPERM: return SerialError::PermissionDenied;
    case EIO:
    case EBADF: return SerialError::Vanished;
    default: return SerialError::Other;
  }
}

PosixSerialDriver::PosixSerialDriver() {
  if (::pipe2(wakePipe_, O_NONBLOCK | O_CLOEXEC) != 0) wakePipe_[0] = wakePipe_[1] = -1;
}

PosixSerialDriver::~PosixSerialDriver() {
  close();
  for (int fd : wakePipe_)
    if (fd >= 0) ::close(fd);
}

SerialError PosixSerialDriver::fail(int err, const char* what) {
  std::lock_guard lock(errorMutex_);
  lastError_ = std::string(what) + ": " + std::strerror(err);
  return serialErrorFromErrno(err);
}

std::string PosixSerialDriver::lastErrorText() const {
  std::lock_guard lock(errorMutex_);
  return lastError_;
}

SerialError PosixSerialDriver::open(const std::string& path) {
  close();
  // Non-blocking, so that opening a modem line never waits for carrier; no controlling tty.
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail(errno, "open");
  // Two programs on one port would steal each other's replies: take it exclusively, both the
  // tty way (TIOCEXCL) and with an advisory lock that also holds against root.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int err = errno;
    ::close(fd);
    return fail(err == EWOULDBLOCK ? EBUSY : err, "lock");
  }
  ::ioctl(fd, TIOCEXCL);

  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    int err = errno;
    ::close(fd);
    fail(err, "tcgetattr");
    return err == ENOTTY ? SerialError::NotASerialPort : SerialError::LineSettings;
  }
  ::cfmakeraw(&tio);
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;  // a read returns at once with what is queued
  tio.c_cc[VTIME] = 0;
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
    int err = errno;
    ::close(fd);
    fail(err, "tcsetattr");
    return SerialError::LineSettings;
  }
  // Drain a stale interrupt so that the first wait is not ended by an old close.
  char drain[16];
  while (wakePipe_[0] >= 0 && ::read(wakePipe_[0], drain, sizeof drain) > 0) {
  }
  fd_ = fd;
  return SerialError::None;
}

int PosixSerialDriver::queuedInputBytes() {
  int fd = fd_;
  if (fd < 0) return -1;
  int n = 0;
  if (::ioctl(fd, FIONREAD, &n) != 0) {
    fail(errno, "FIONREAD");
    return -1;
  }
  return n;
}

int PosixSerialDriver::read(std::uint8_t* buffer, int maxBytes) {
  int fd = fd_;
  if (fd < 0) return -1;
  if (maxBytes <= 0) return 0;
  ssize_t got = ::read(fd, buffer, static_cast<size_t>(maxBytes));
  if (got < 0) {
    if (errno == EAGAIN || errno == EINTR) return 0;
    fail(errno, "read");
    return -1;
  }
  return static_cast<int>(got);
}

SerialError PosixSerialDriver::writeAll(std::span<const std::uint8_t> bytes) {
  int fd = fd_;
  if (fd < 0) return SerialError::Vanished;
  // The port takes about a byte a millisecond; give it twice that and two seconds besides,
  // so that a stalled driver ends the write with an error instead of hanging the window.
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(2000 + 2 * bytes.size());
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return fail(errno, "write");
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return fail(ETIMEDOUT, "write");
    pollfd p{fd, POLLOUT, 0};
    ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 100)));
  }
  return SerialError::None;
}

void PosixSerialDriver::purge() {
  int fd = fd_;
  if (fd >= 0) ::tcflush(fd, TCIOFLUSH);
}

void PosixSerialDriver::close() {
  int fd = fd_.exchange(-1);
  if (fd < 0) return;
  // A pseudo-terminal keeps its exclusive flag after we close it for as long as its other end
  // is open, which would lock us out of the simulator's port on the next connect.
  ::ioctl(fd, TIOCNXCL);
  ::close(fd);  // also drops the flock
}

SerialDriver::Wait PosixSerialDriver::waitReceived() {
  int fd = fd_;
  if (fd < 0) return Wait::Failed;
  pollfd p[2] = {{fd, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
  for (;;) {
    int n = ::poll(p, 2, -1);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(errno, "poll");
      return Wait::Failed;
    }
    if (p[1].revents & POLLIN) {
      char drain[16];
      while (::read(wakePipe_[0], drain, sizeof drain) > 0) {
      }
      return Wait::Interrupted;
    }
    if (p[0].revents & POLLIN) return Wait::Received;
    // Hang-up: the adapter was pulled or the simulator's side of the pseudo-terminal closed.
    if (p[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
      fail(EIO, "port hung up");
      return Wait::Failed;
    }
  }
}

void PosixSerialDriver::interruptWait() {
  if (wakePipe_[1] < 0) return;
  char one = 1;
  [[maybe_unused]] auto n = ::write(wakePipe_[1], &one, 1);  // a full pipe already wakes
}

}  // namespace lyra
