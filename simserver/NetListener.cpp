#include "simserver/NetListener.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace lyra {

namespace {
constexpr int kChunkBytes = 4096;
}

NetListener::NetListener(PollLoop& loop, NetworkAddress address)
    : loop_(loop), address_(std::move(address)) {}

NetListener::~NetListener() { stop(); }

bool NetListener::start() {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  const int r = ::getaddrinfo(address_.host.c_str(), std::to_string(address_.port).c_str(), &hints,
                              &found);
  if (r != 0) {
    error_ = address_.host + ": " + gai_strerror(r);
    return false;
  }
  for (addrinfo* a = found; a && listener_ < 0; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) continue;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, 4) == 0) {
      listener_ = fd;
    } else {
      error_ = "listen on " + formatNetworkAddress(address_) + ": " + std::strerror(errno);
      ::close(fd);
    }
  }
  ::freeaddrinfo(found);
  if (listener_ < 0) return false;
  // Port 0: keep the one the system picked, so that a restart listens on the same.
  sockaddr_storage bound{};
  socklen_t len = sizeof bound;
  if (::getsockname(listener_, reinterpret_cast<sockaddr*>(&bound), &len) == 0) {
    address_.port = bound.ss_family == AF_INET6
                        ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                        : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  }
  loop_.watch(listener_, [this](bool, bool) { accept(); });
  return true;
}

void NetListener::stop() {
  dropClient("the port vanished");
  if (listener_ < 0) return;
  loop_.unwatch(listener_);
  ::close(listener_);
  listener_ = -1;
}

std::string NetListener::address() const { return formatNetworkAddress(address_); }

void NetListener::accept() {
  const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) return;
  // A client that reconnects at once may be seen to come before its last connection is seen to
  // go: take what that connection still holds, its end included, first.
  if (client_ >= 0) clientEvent(true, false);
  if (client_ >= 0) {
    // The port is taken, as a serial port is by the program that opened it.
    ::close(fd);
    if (onNote) onNote("refused a second client on " + address());
    return;
  }
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  client_ = fd;
  if (address_.kind == NetworkAddress::Kind::Rfc2217)
    telnet_ = std::make_unique<TelnetComPort>(TelnetComPort::Role::Server);
  loop_.watch(client_, [this](bool readable, bool hungUp) { clientEvent(readable, hungUp); });
  if (onNote) onNote("client connected on " + address());
}

void NetListener::clientEvent(bool readable, bool hungUp) {
  std::uint8_t buffer[kChunkBytes];
  while (readable && client_ >= 0) {
    const ssize_t n = ::recv(client_, buffer, sizeof buffer, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) break;
    const std::span<const std::uint8_t> bytes(buffer, static_cast<std::size_t>(n));
    if (!telnet_) {
      if (onData) onData(bytes);
      continue;
    }
    std::vector<std::uint8_t> data;
    std::vector<std::uint8_t> replies;
    telnet_->received(bytes, data, replies);
    sendRaw(replies);
    if (!data.empty() && onData) onData(data);
  }
  if (readable || hungUp) dropClient("the client closed the connection");
}

void NetListener::dropClient(const std::string& why) {
  if (client_ < 0) return;
  loop_.unwatch(client_);
  ::close(client_);
  client_ = -1;
  telnet_.reset();
  if (onNote) onNote(why + " on " + address());
}

void NetListener::send(std::span<const std::uint8_t> bytes) {
  if (client_ < 0) return;
  if (!telnet_) return sendRaw(bytes);
  std::vector<std::uint8_t> escaped;
  TelnetComPort::escape(bytes, escaped);
  sendRaw(escaped);
}

void NetListener::sendRaw(std::span<const std::uint8_t> bytes) {
  // The line carries about a byte a millisecond: the socket's buffer never fills unless the
  // client has stopped reading, and then, as on a line nobody listens to, the bytes are lost.
  std::size_t sent = 0;
  while (client_ >= 0 && sent < bytes.size()) {
    const ssize_t n = ::send(client_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      return;
    }
    sent += static_cast<std::size_t>(n);
  }
}

}  // namespace lyra
