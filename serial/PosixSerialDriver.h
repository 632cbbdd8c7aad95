#pragma once
// The serial port on Linux and other POSIX systems: termios, raw 9600 8N1.

#include <atomic>
#include <mutex>
#include <string>

#include "serial/SerialDriver.h"

namespace lyra {

class PosixSerialDriver final : public SerialDriver {
 public:
  PosixSerialDriver();
  ~PosixSerialDriver() override;
  PosixSerialDriver(const PosixSerialDriver&) = delete;
  PosixSerialDriver& operator=(const PosixSerialDriver&) = delete;

  SerialError open(const std::string& path) override;
  bool isOpen() const override { return fd_ >= 0; }
  int queuedInputBytes() override;
  int read(std::uint8_t* buffer, int maxBytes) override;
  SerialError writeAll(std::span<const std::uint8_t> bytes) override;
  void purge() override;
  void close() override;
  Wait waitReceived() override;
  void interruptWait() override;
  std::string lastErrorText() const override;

 private:
  SerialError fail(int err, const char* what);

  std::atomic<int> fd_{-1};
  int wakePipe_[2] = {-1, -1};  // interruptWait() writes a byte; the reader's poll() sees it
  mutable std::mutex errorMutex_;
  std::string lastError_;
};

// Maps an errno value to the link's error kinds.
SerialError serialErrorFromErrno(int err);

}  // namespace lyra
