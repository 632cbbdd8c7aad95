#include "serial/NetworkSocket.h"

#include <chrono>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace lyra::net {

namespace {

#ifdef _WIN32
int lastError() { return WSAGetLastError(); }
bool wouldBlock(int err) { return err == WSAEWOULDBLOCK || err == WSAEINPROGRESS; }
std::string errorText(int err) {
  char text[256] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 static_cast<DWORD>(err), 0, text, sizeof text, nullptr);
  std::string s(text);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  return s;
}
SerialError kindOf(int err) {
  switch (err) {
    case WSAECONNREFUSED:
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAHOST_NOT_FOUND:
    case WSANO_DATA: return SerialError::NotFound;
    case WSAECONNRESET:
    case WSAECONNABORTED:
    case WSAENETRESET:
    case WSAESHUTDOWN: return SerialError::Vanished;
    case WSAEACCES: return SerialError::PermissionDenied;
    default: return SerialError::Other;
  }
}
// select(), not WSAPoll: WSAPoll does not report a connect that failed (it waits out the time).
int pollOne(Socket socket, short events, int timeoutMs, short& revents) {
  const SOCKET s = static_cast<SOCKET>(socket);
  fd_set readable, writable, failed;
  FD_ZERO(&readable);
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  if (events & POLLIN) FD_SET(s, &readable);
  if (events & POLLOUT) FD_SET(s, &writable);
  FD_SET(s, &failed);
  timeval limit{static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000) * 1000};
  const int n = ::select(0, &readable, &writable, &failed, timeoutMs < 0 ? nullptr : &limit);
  revents = 0;
  if (n > 0) {
    if (FD_ISSET(s, &readable)) revents |= POLLIN;
    if (FD_ISSET(s, &writable)) revents |= POLLOUT;
    if (FD_ISSET(s, &failed)) revents |= POLLERR;
  }
  return n;
}
const int kTimedOut = WSAETIMEDOUT;
#else
int lastError() { return errno; }
bool wouldBlock(int err) { return err == EAGAIN || err == EWOULDBLOCK || err == EINPROGRESS; }
std::string errorText(int err) { return std::strerror(err); }
SerialError kindOf(int err) {
  switch (err) {
    case ECONNREFUSED:
    case ENETUNREACH:
    case EHOSTUNREACH: return SerialError::NotFound;
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
    case ENETRESET: return SerialError::Vanished;
    case EACCES:
    case EPERM: return SerialError::PermissionDenied;
    default: return SerialError::Other;
  }
}
int pollOne(Socket socket, short events, int timeoutMs, short& revents) {
  pollfd p{socket, events, 0};
  int n;
  do {
    n = ::poll(&p, 1, timeoutMs);
  } while (n < 0 && errno == EINTR);
  revents = p.revents;
  return n;
}
const int kTimedOut = ETIMEDOUT;
#endif

Failure failed(int err, const std::string& what) {
  return {kindOf(err), what + ": " + errorText(err)};
}

bool makeNonBlocking(Socket s) {
#ifdef _WIN32
  u_long on = 1;
  return ioctlsocket(static_cast<SOCKET>(s), FIONBIO, &on) == 0;
#else
  const int flags = ::fcntl(s, F_GETFL);
  return flags >= 0 && ::fcntl(s, F_SETFL, flags | O_NONBLOCK) == 0;
#endif
}

bool winsockReady() {
#ifdef _WIN32
  static const bool ready = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
#else
  return true;
#endif
}

}  // namespace

Socket connectTo(const std::string& host, int port, int timeoutMs, Failure& failure) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  if (!winsockReady()) {
    failure = {SerialError::Other, "Winsock could not be started"};
    return kNoSocket;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_ADDRCONFIG;
  addrinfo* found = nullptr;
  const int resolved = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (resolved != 0) {
#ifdef _WIN32
    failure = {SerialError::NotFound, "look-up: " + errorText(resolved)};
#else
    failure = {resolved == EAI_SYSTEM ? kindOf(errno) : SerialError::NotFound,
               "look-up: " +
                   (resolved == EAI_SYSTEM ? errorText(errno) : std::string(gai_strerror(resolved)))};
#endif
    return kNoSocket;
  }
  failure = failed(kTimedOut, "connect");
  Socket connected = kNoSocket;
  for (addrinfo* a = found; a && connected == kNoSocket; a = a->ai_next) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
#ifdef _WIN32
    const Socket s = static_cast<Socket>(::socket(a->ai_family, a->ai_socktype, a->ai_protocol));
#else
    const Socket s = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
#endif
    if (s == kNoSocket) {
      failure = failed(lastError(), "socket");
      continue;
    }
    if (!makeNonBlocking(s)) {
      failure = failed(lastError(), "socket");
      closeSocket(s);
      continue;
    }
#ifdef _WIN32
    int r = ::connect(static_cast<SOCKET>(s), a->ai_addr, static_cast<int>(a->ai_addrlen));
#else
    int r = ::connect(s, a->ai_addr, a->ai_addrlen);
#endif
    int err = r == 0 ? 0 : lastError();
    if (r != 0 && wouldBlock(err)) {
      short revents = 0;
      const int n = pollOne(s, POLLOUT, static_cast<int>(left), revents);
      if (n == 0) {
        err = kTimedOut;
      } else if (n < 0) {
        err = lastError();
      } else {
        int soError = 0;
        socklen_t len = sizeof soError;
        ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len);
        err = soError;
      }
    }
    if (err != 0) {
      failure = failed(err, "connect");
      closeSocket(s);
      continue;
    }
    int on = 1;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    connected = s;
  }
  ::freeaddrinfo(found);
  if (connected != kNoSocket) failure = {};
  return connected;
}

void closeSocket(Socket socket) {
  if (socket == kNoSocket) return;
#ifdef _WIN32
  ::closesocket(static_cast<SOCKET>(socket));
#else
  ::close(socket);
#endif
}

int receive(Socket socket, std::uint8_t* buffer, int maxBytes, Failure& failure) {
#ifdef _WIN32
  const int n = ::recv(static_cast<SOCKET>(socket), reinterpret_cast<char*>(buffer), maxBytes, 0);
#else
  ssize_t n;
  do {
    n = ::recv(socket, buffer, static_cast<size_t>(maxBytes), 0);
  } while (n < 0 && errno == EINTR);
#endif
  if (n >= 0) return static_cast<int>(n);
  const int err = lastError();
  if (wouldBlock(err)) return kWouldBlock;
  failure = failed(err, "receive");
  return kFailed;
}

int sendSome(Socket socket, const std::uint8_t* bytes, int count, Failure& failure) {
#ifdef _WIN32
  const int n = ::send(static_cast<SOCKET>(socket), reinterpret_cast<const char*>(bytes), count, 0);
#else
  ssize_t n;
  do {
    // MSG_NOSIGNAL: a closed connection is an error to report, not a signal that ends the program.
    n = ::send(socket, bytes, static_cast<size_t>(count), MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
#endif
  if (n >= 0) return static_cast<int>(n);
  const int err = lastError();
  if (wouldBlock(err)) return 0;
  failure = failed(err, "send");
  return kFailed;
}

int waitReady(Socket socket, bool forWriting, int timeoutMs) {
  short revents = 0;
  const int n = pollOne(socket, forWriting ? POLLOUT : POLLIN, timeoutMs, revents);
  if (n < 0) return kFailed;
  // A hang-up or an error is "ready" too: the next receive or send says which.
  return n > 0 ? 1 : 0;
}

#ifdef _WIN32

InputWaiter::InputWaiter() {
  winsockReady();
  socketEvent_ = WSACreateEvent();
  wakeEvent_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);  // auto-reset
}

InputWaiter::~InputWaiter() {
  if (socketEvent_) WSACloseEvent(static_cast<WSAEVENT>(socketEvent_));
  if (wakeEvent_) CloseHandle(static_cast<HANDLE>(wakeEvent_));
}

void InputWaiter::attach(Socket socket) {
  socket_ = socket;
  ResetEvent(static_cast<HANDLE>(wakeEvent_));
  WSAResetEvent(static_cast<WSAEVENT>(socketEvent_));
  // Also keeps the socket non-blocking, as it already is.
  if (socket != kNoSocket)
    WSAEventSelect(static_cast<SOCKET>(socket), static_cast<WSAEVENT>(socketEvent_),
                   FD_READ | FD_CLOSE);
}

InputWaiter::Result InputWaiter::wait() {
  if (socket_ == kNoSocket) return Result::Failed;
  HANDLE events[2] = {static_cast<HANDLE>(wakeEvent_), static_cast<HANDLE>(socketEvent_)};
  const DWORD r = WaitForMultipleObjects(2, events, FALSE, INFINITE);
  if (r == WAIT_OBJECT_0) return Result::Woken;
  if (r != WAIT_OBJECT_0 + 1) return Result::Failed;
  WSANETWORKEVENTS happened{};
  if (WSAEnumNetworkEvents(static_cast<SOCKET>(socket_), static_cast<WSAEVENT>(socketEvent_),
                           &happened) != 0)
    return Result::Failed;
  // A close is "readable": the read that follows finds the end of the connection.
  return Result::Readable;
}

void InputWaiter::wake() { SetEvent(static_cast<HANDLE>(wakeEvent_)); }

#else

InputWaiter::InputWaiter() {
  if (::pipe2(pipe_, O_NONBLOCK | O_CLOEXEC) != 0) pipe_[0] = pipe_[1] = -1;
}

InputWaiter::~InputWaiter() {
  for (int fd : pipe_)
    if (fd >= 0) ::close(fd);
}

void InputWaiter::attach(Socket socket) {
  socket_ = socket;
  char drain[16];
  while (pipe_[0] >= 0 && ::read(pipe_[0], drain, sizeof drain) > 0) {
  }
}

InputWaiter::Result InputWaiter::wait() {
  if (socket_ == kNoSocket) return Result::Failed;
  pollfd p[2] = {{socket_, POLLIN, 0}, {pipe_[0], POLLIN, 0}};
  for (;;) {
    const int n = ::poll(p, 2, -1);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Result::Failed;
    }
    if (p[1].revents & POLLIN) {
      char drain[16];
      while (::read(pipe_[0], drain, sizeof drain) > 0) {
      }
      return Result::Woken;
    }
    // A hang-up or an error is "readable" too: the read that follows finds out which.
    if (p[0].revents & (POLLIN | POLLHUP | POLLERR)) return Result::Readable;
    if (p[0].revents & POLLNVAL) return Result::Failed;
  }
}

void InputWaiter::wake() {
  if (pipe_[1] < 0) return;
  const char one = 1;
  [[maybe_unused]] const auto n = ::write(pipe_[1], &one, 1);  // a full pipe already wakes
}

#endif

}  // namespace lyra::net
