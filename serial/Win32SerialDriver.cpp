#include "serial/Win32SerialDriver.h"

#include <windows.h>

#include <algorithm>
#include <chrono>

namespace lyra {

namespace {

HANDLE asHandle(void* h) { return static_cast<HANDLE>(h); }
bool valid(void* h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

std::string systemText(DWORD err) {
  char* text = nullptr;
  const DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, err, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string s = n && text ? std::string(text, n) : "error " + std::to_string(err);
  if (text) ::LocalFree(text);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  return s;
}

}  // namespace

// The same words as the POSIX driver's; the two drivers are never linked together.
std::string win32DeviceName(int portNumber) {
  const std::string com = "COM" + std::to_string(portNumber);
  return portNumber <= 9 ? com : "//./" + com;
}

SerialError serialErrorFromWin32(unsigned long err) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NOT_READY: return SerialError::NotFound;
    // A COM port is opened without sharing: Windows answers a second open with "access denied".
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return SerialError::Busy;
    // What a pulled USB adapter (or a pseudo-terminal whose other side closed, under Wine) gives.
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_GEN_FAILURE:
    case ERROR_INVALID_HANDLE:
    case ERROR_BROKEN_PIPE:
    case ERROR_OPERATION_ABORTED:
    case ERROR_IO_DEVICE: return SerialError::Vanished;
    default: return SerialError::Other;
  }
}

Win32SerialDriver::Win32SerialDriver() : port_(INVALID_HANDLE_VALUE) {
  // Manual reset: a stop stays visible until the wait that it ends has seen it.
  stopEvent_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  waitEvent_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ioEvent_ = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

Win32SerialDriver::~Win32SerialDriver() {
  close();
  for (void* e : {stopEvent_, waitEvent_, ioEvent_})
    if (valid(e)) ::CloseHandle(asHandle(e));
}

bool Win32SerialDriver::isOpen() const { return valid(port_.load()); }

SerialError Win32SerialDriver::fail(unsigned long err, const std::string& what) {
  std::lock_guard lock(errorMutex_);
  lastError_ = what + ": " + systemText(err);
  return serialErrorFromWin32(err);
}

std::string Win32SerialDriver::lastErrorText() const {
  std::lock_guard lock(errorMutex_);
  return lastError_;
}

SerialError Win32SerialDriver::open(const std::string& path) {
  close();
  if (!valid(stopEvent_) || !valid(waitEvent_) || !valid(ioEvent_))
    return fail(ERROR_NOT_ENOUGH_MEMORY, "CreateEvent");
  HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return fail(::GetLastError(), "open " + path);

  auto refuse = [&](const char* what) {
    fail(::GetLastError(), what);
    ::CloseHandle(h);
    return SerialError::LineSettings;
  };
  // A read returns at once with what is queued; a write has no time-out of the driver's (ours
  // is in writeAll()).
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  if (!::SetCommTimeouts(h, &timeouts)) return refuse("SetCommTimeouts");
  ::SetupComm(h, kQueueBytes, kQueueBytes);  // a hint the driver may ignore

  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!::GetCommState(h, &dcb)) return refuse("GetCommState");
  dcb.BaudRate = CBR_9600;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  // The rest stays as the driver had it, except what would eat or hold back bytes: the protocol
  // is binary, so XON/XOFF, the NUL filter and handshakes left on by another program would drop
  // 0x11, 0x13 and 0x00 or stall the line.
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;
  dcb.fAbortOnError = FALSE;
  if (dcb.fDtrControl == DTR_CONTROL_HANDSHAKE) dcb.fDtrControl = DTR_CONTROL_ENABLE;
  if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) dcb.fRtsControl = RTS_CONTROL_ENABLE;
  if (!::SetCommState(h, &dcb)) return refuse("SetCommState");
  if (!::SetCommMask(h, kWaitMask)) return refuse("SetCommMask");

  ::ResetEvent(asHandle(stopEvent_));  // a stop meant for the previous port ends nothing here
  port_ = h;
  return SerialError::None;
}

int Win32SerialDriver::queuedInputBytes() {
  HANDLE h = asHandle(port_.load());
  if (!valid(h)) return -1;
  DWORD errors = 0;
  COMSTAT stat{};
  if (!::ClearCommError(h, &errors, &stat)) {
    fail(::GetLastError(), "ClearCommError");
    return -1;
  }
  return static_cast<int>(std::min<DWORD>(stat.cbInQue, 0x7FFFFFFF));
}

unsigned long Win32SerialDriver::finishPending(void* handle, void* overlapped,
                                               unsigned long timeoutMs, unsigned long& bytes) {
  HANDLE h = asHandle(handle);
  auto* ov = static_cast<OVERLAPPED*>(overlapped);
  DWORD moved = 0;
  if (::WaitForSingleObject(ov->hEvent, timeoutMs) != WAIT_OBJECT_0) {
    // The operation may not outlive its record: cancel it and wait for it to end, which a
    // cancelled operation does promptly.
    ::CancelIoEx(h, ov);
    ::GetOverlappedResult(h, ov, &moved, TRUE);
    bytes = moved;
    return ERROR_TIMEOUT;
  }
  const BOOL ok = ::GetOverlappedResult(h, ov, &moved, FALSE);
  bytes = moved;
  return ok ? 0 : ::GetLastError();
}

int Win32SerialDriver::read(std::uint8_t* buffer, int maxBytes) {
  HANDLE h = asHandle(port_.load());
  if (!valid(h)) return -1;
  if (maxBytes <= 0) return 0;
  // The read has an event of its own rather than waiting on the port handle: the reader's
  // WaitCommEvent completes on the same handle and would wake such a wait.
  OVERLAPPED ov{};
  ov.hEvent = asHandle(ioEvent_);
  ::ResetEvent(ov.hEvent);
  DWORD got = 0;
  if (!::ReadFile(h, buffer, static_cast<DWORD>(maxBytes), &got, &ov)) {
    DWORD err = ::GetLastError();
    if (err != ERROR_IO_PENDING) {
      fail(err, "ReadFile");
      return -1;
    }
    // With the interval time-out at its largest the read ends at once; a second is generous.
    unsigned long moved = 0;
    err = finishPending(h, &ov, 1000, moved);
    if (err != 0) {
      fail(err, "ReadFile");
      return -1;
    }
    got = moved;
  }
  return static_cast<int>(got);
}

SerialError Win32SerialDriver::writeAll(std::span<const std::uint8_t> bytes) {
  HANDLE h = asHandle(port_.load());
  if (!valid(h)) return SerialError::Vanished;
  // The port takes about a byte a millisecond; give it twice that and two seconds besides, so
  // that a port that stopped taking bytes ends the write with an error instead of hanging the
  // window (the driver itself has no write time-out).
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(2000 + 2 * bytes.size());
  size_t done = 0;
  while (done < bytes.size()) {
    OVERLAPPED ov{};
    ov.hEvent = asHandle(ioEvent_);
    ::ResetEvent(ov.hEvent);
    DWORD wrote = 0;
    DWORD err = 0;
    if (!::WriteFile(h, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote,
                     &ov)) {
      err = ::GetLastError();
      if (err == ERROR_IO_PENDING) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        unsigned long moved = 0;
        err = finishPending(h, &ov, static_cast<unsigned long>(std::max<long long>(left.count(), 0)),
                            moved);
        wrote = moved;
      }
    }
    if (err != 0) {
      DWORD errors = 0;
      ::ClearCommError(h, &errors, nullptr);  // a line error must not block the next write
      return fail(err, "WriteFile");
    }
    done += wrote;
    if (done < bytes.size() && Clock::now() >= deadline) return fail(ERROR_TIMEOUT, "WriteFile");
  }
  return SerialError::None;
}

void Win32SerialDriver::purge() {
  HANDLE h = asHandle(port_.load());
  if (valid(h)) ::PurgeComm(h, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

void Win32SerialDriver::close() {
  void* h = port_.exchange(INVALID_HANDLE_VALUE);
  if (valid(h)) ::CloseHandle(asHandle(h));
}

SerialDriver::Wait Win32SerialDriver::waitReceived() {
  for (;;) {
    HANDLE h = asHandle(port_.load());
    if (!valid(h)) return Wait::Failed;
    HANDLE stop = asHandle(stopEvent_);
    if (::WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) {
      ::ResetEvent(stop);
      return Wait::Interrupted;
    }
    // Bytes already queued need no event: WaitCommEvent reports characters as they arrive, and
    // those that came while nobody waited (or that a notification left queued) might not be
    // reported again.
    const int queued = queuedInputBytes();
    if (queued < 0) return Wait::Failed;
    if (queued > 0) return Wait::Received;
    // A stop clears the mask; set it again for the next wait. A stop that lands after this line
    // still ends the wait through the stop event below.
    if (!::SetCommMask(h, kWaitMask)) {
      fail(::GetLastError(), "SetCommMask");
      return Wait::Failed;
    }

    OVERLAPPED ov{};
    ov.hEvent = asHandle(waitEvent_);
    ::ResetEvent(ov.hEvent);
    DWORD events = 0;
    DWORD err = 0;
    if (!::WaitCommEvent(h, &events, &ov)) {
      err = ::GetLastError();
      if (err == ERROR_IO_PENDING) {
        HANDLE both[2] = {ov.hEvent, stop};
        ::WaitForMultipleObjects(2, both, FALSE, INFINITE);
        // The stop came first, so its cleared mask may have been set again above before this
        // wait began: clear it once more, which ends the wait on Windows and under Wine (whose
        // wait ignores CancelIoEx), and cancel it besides. The record must not outlive this call.
        if (::WaitForSingleObject(ov.hEvent, 0) != WAIT_OBJECT_0) {
          ::SetCommMask(h, 0);
          ::CancelIoEx(h, &ov);
        }
        DWORD unused = 0;
        err = ::GetOverlappedResult(h, &ov, &unused, TRUE) ? 0 : ::GetLastError();
      }
    }
    // Clearing the mask ends the wait with success and no events on Windows, and with an error
    // on some drivers and under Wine: the stop event, not the result, says it was asked for.
    if (::WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) {
      ::ResetEvent(stop);
      return Wait::Interrupted;
    }
    if (err != 0) {
      fail(err, "WaitCommEvent");
      return Wait::Failed;
    }
    if (events & kWaitMask) return Wait::Received;
    // Woken with no character (the mask was changed under us): look again.
  }
}

void Win32SerialDriver::interruptWait() {
  ::SetEvent(asHandle(stopEvent_));
  HANDLE h = asHandle(port_.load());
  if (valid(h)) ::SetCommMask(h, 0);  // ends a pending WaitCommEvent
}

}  // namespace lyra
