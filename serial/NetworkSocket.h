#pragma once
// The little the network driver needs from the system's sockets: BSD sockets on POSIX, Winsock2
// on Windows. Every socket here is non-blocking with TCP_NODELAY (a frame is sent as it is
// written, not held back to be joined with the next).

#include <cstdint>
#include <string>

#include "serial/SerialDriver.h"

namespace lyra::net {

#ifdef _WIN32
using Socket = std::uintptr_t;  // SOCKET
inline constexpr Socket kNoSocket = ~Socket{0};
#else
using Socket = int;
inline constexpr Socket kNoSocket = -1;
#endif

struct Failure {
  SerialError kind = SerialError::None;
  std::string text;  // the system's own words, with what failed
};

// Resolves host (getaddrinfo: names, IPv4, IPv6) and connects to the first address that answers,
// all within timeoutMs. On failure: kNoSocket and why.
Socket connectTo(const std::string& host, int port, int timeoutMs, Failure& failure);
void closeSocket(Socket socket);

// What receive() found besides bytes.
inline constexpr int kWouldBlock = -1;
inline constexpr int kFailed = -2;
// Reads what is there: the count, 0 when the other end closed the connection, kWouldBlock, or
// kFailed with failure set.
int receive(Socket socket, std::uint8_t* buffer, int maxBytes, Failure& failure);
// Sends what the system takes now: the count (0 when it takes nothing yet), or kFailed.
int sendSome(Socket socket, const std::uint8_t* bytes, int count, Failure& failure);
// Waits at most timeoutMs until the socket can be read (or written): 1 ready, 0 not yet,
// kFailed on failure.
int waitReady(Socket socket, bool forWriting, int timeoutMs);

// The reader thread's wait for input, which another thread can end (a self-pipe on POSIX, an
// event on Windows).
class InputWaiter {
 public:
  enum class Result { Readable, Woken, Failed };
  InputWaiter();
  ~InputWaiter();
  InputWaiter(const InputWaiter&) = delete;
  InputWaiter& operator=(const InputWaiter&) = delete;

  // The socket whose input wait() watches from now on (kNoSocket: none); also forgets a wake-up
  // left from before.
  void attach(Socket socket);
  Result wait();
  void wake();

 private:
  Socket socket_ = kNoSocket;
#ifdef _WIN32
  void* socketEvent_ = nullptr;
  void* wakeEvent_ = nullptr;
#else
  int pipe_[2] = {-1, -1};
#endif
};

}  // namespace lyra::net
