#pragma once
// The serial port on Windows: a COM port opened for overlapped I/O, raw 9600 8N1.
//
// The reader thread waits for a received character with WaitCommEvent (EV_RXCHAR). Closing the
// link clears the event mask (SetCommMask with 0), which ends that wait; because the wait may end
// with success, with an error or with nothing at all depending on the driver (and on Wine), a
// separate stop event says whether the end was asked for. A wait that ends while the stop event
// is set is a deliberate stop, whatever it completed with; any other failed wait is a failure.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "serial/SerialDriver.h"

namespace lyra {

class Win32SerialDriver final : public SerialDriver {
 public:
  // The event mask the reader waits on: a character was received, nothing else.
  static constexpr unsigned long kWaitMask = 0x0001;  // EV_RXCHAR
  static constexpr unsigned long kQueueBytes = 4096;  // SetupComm, both directions

  Win32SerialDriver();
  ~Win32SerialDriver() override;
  Win32SerialDriver(const Win32SerialDriver&) = delete;
  Win32SerialDriver& operator=(const Win32SerialDriver&) = delete;

  // path is a Windows device name as the port list gives it: "COM3", or "//./COM12" for ports
  // numbered 10 and up (see win32DeviceName()).
  SerialError open(const std::string& path) override;
  bool isOpen() const override;
  int queuedInputBytes() override;
  int read(std::uint8_t* buffer, int maxBytes) override;
  SerialError writeAll(std::span<const std::uint8_t> bytes) override;
  void purge() override;
  void close() override;
  Wait waitReceived() override;
  void interruptWait() override;
  std::string lastErrorText() const override;

 private:
  SerialError fail(unsigned long err, const std::string& what);
  // Waits at most timeoutMs for an overlapped operation that reported ERROR_IO_PENDING; on time-out
  // cancels it and waits for the cancellation, so the record may be reused or dropped. Returns the
  // Win32 error (0 on success) and the bytes moved.
  unsigned long finishPending(void* handle, void* overlapped, unsigned long timeoutMs,
                              unsigned long& bytes);

  // HANDLE values, kept as void* so that this header does not pull in <windows.h>.
  std::atomic<void*> port_;
  void* stopEvent_ = nullptr;  // set by interruptWait(), consumed by the wait it ends
  void* waitEvent_ = nullptr;  // the reader's WaitCommEvent completion
  void* ioEvent_ = nullptr;    // the window thread's ReadFile and WriteFile completions
  mutable std::mutex errorMutex_;
  std::string lastError_;
};

// The device name CreateFileA opens for "COM" n: "COM" n up to 9; "//./COM" n from 10 on, since
// only COM1..COM9 are reserved DOS device names and a bare "COM10" would be taken as a file name.
std::string win32DeviceName(int portNumber);

// Maps a Win32 error code (GetLastError) to the link's error kinds.
SerialError serialErrorFromWin32(unsigned long err);

}  // namespace lyra
