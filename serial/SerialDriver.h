#pragma once
// The SerialDriver seam: the few operations the link needs from a serial port.
//
// Real ports: PosixSerialDriver (termios) and, on Windows, the Win32 driver; ports on the network:
// NetworkSerialDriver. Tests: the simulated bus's driver (sim/), which runs in virtual time.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace lyra {

// What went wrong, in few enough kinds for the callers to act on. The OS's own words are kept in
// SerialDriver::lastErrorText() for a support case.
enum class SerialError {
  None,
  NotFound,          // no such device (never was, or unplugged before we opened it)
  Busy,              // another program holds the port
  PermissionDenied,  // on Linux: the user is not in the dialout group
  Vanished,          // the port went away while open (USB adapter pulled, simulator ended)
  LineSettings,      // the port opened but refused 9600 8N1
  NotASerialPort,    // the path opened, but it is no terminal (a file, a pipe, another device)
  Other,
};

const char* describe(SerialError error);

class SerialDriver {
 public:
  enum class Wait { Received, Interrupted, Failed };

  virtual ~SerialDriver() = default;

  // Opens the device at path for reading and writing, for this program alone, and applies
  // 9600 baud, 8 data bits, no parity, one stop bit, no flow control, raw bytes.
  virtual SerialError open(const std::string& path) = 0;
  virtual bool isOpen() const = 0;
  // Bytes waiting to be read; -1 when the port cannot be asked (it failed or vanished).
  virtual int queuedInputBytes() = 0;
  // Reads at most maxBytes of what is queued without waiting; the count read, or -1 on failure.
  virtual int read(std::uint8_t* buffer, int maxBytes) = 0;
  // Returns when the driver has taken every byte, or on failure. Never waits without limit.
  virtual SerialError writeAll(std::span<const std::uint8_t> bytes) = 0;
  // Discards what is queued in both directions.
  virtual void purge() = 0;
  virtual void close() = 0;

  // The reader thread blocks here until input is queued, interruptWait() is called from another
  // thread, or the port fails. An interrupt that comes while nobody waits ends the next wait.
  virtual Wait waitReceived() = 0;
  virtual void interruptWait() = 0;

  // A driver that has no thread to block (the simulated bus runs on the window thread in virtual
  // time) takes onReceived here, calls it as each byte lands, and returns true. Real ports return
  // false, and the link runs a reader thread around waitReceived().
  virtual bool watchReceived(std::function<void()> onReceived) {
    (void)onReceived;
    return false;
  }

  // Whether the port left while it was open in a way only the driver sees: the server of a
  // network port closed the connection. Ports of the system are watched in the port list instead.
  virtual bool connectionLost() const { return false; }

  virtual std::string lastErrorText() const = 0;
};

}  // namespace lyra
