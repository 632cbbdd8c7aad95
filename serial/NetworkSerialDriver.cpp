#include "serial/NetworkSerialDriver.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <variant>

namespace lyra {

namespace {
constexpr int kChunkBytes = 4096;
using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
  return static_cast<int>(std::max<long long>(
      0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
}
}  // namespace

// What the worker thread does for open(): look-up, connect, negotiation. It owns the socket until
// it is done; then the driver takes it over.
struct NetworkSerialDriver::Opening {
  NetworkAddress address;
  std::atomic<bool> done{false};
  net::Socket socket = net::kNoSocket;
  SerialError error = SerialError::None;
  std::string errorText;
  std::unique_ptr<TelnetComPort> session;
  std::vector<std::uint8_t> data;  // data bytes that came with the last answer of the negotiation

  void run() {
    net::Failure failure;
    socket = net::connectTo(address.host, address.port, kConnectMs, failure);
    if (socket == net::kNoSocket) {
      finish(failure.kind, address.host + ":" + std::to_string(address.port) + ": " + failure.text);
      return;
    }
    if (address.kind == NetworkAddress::Kind::Rfc2217) negotiate();
    done = true;
  }

  void negotiate() {
    session = std::make_unique<TelnetComPort>(TelnetComPort::Role::Client);
    const auto deadline = Clock::now() + std::chrono::milliseconds(kNegotiationMs);
    std::vector<std::uint8_t> out = session->start();
    std::uint8_t buffer[kChunkBytes];
    net::Failure failure;
    while (session->state() == TelnetComPort::State::Negotiating) {
      if (!sendAll(out, deadline)) return;
      out.clear();
      const int ready = net::waitReady(socket, false, msLeft(deadline));
      if (ready == 0) {
        return finish(SerialError::LineSettings,
                      "the server did not answer the com port settings (RFC 2217) within " +
                          std::to_string(kNegotiationMs / 1000) + " s");
      }
      const int n = net::receive(socket, buffer, kChunkBytes, failure);
      if (n == net::kWouldBlock) continue;
      if (n == 0 || (n == net::kFailed && failure.kind == SerialError::Vanished)) {
        session->closed();
        // A device server hangs up at once when another client holds its port.
        return finish(SerialError::Busy,
                      "the server closed the connection during the telnet negotiation" +
                          (n == 0 ? std::string() : " (" + failure.text + ")"));
      }
      if (n == net::kFailed) return finish(failure.kind, failure.text);
      session->received(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)), data,
                        out);
    }
    if (!out.empty() && !sendAll(out, deadline)) return;
    if (session->state() == TelnetComPort::State::Refused)
      finish(SerialError::LineSettings, session->refusal());
  }

  bool sendAll(const std::vector<std::uint8_t>& bytes, Clock::time_point deadline) {
    std::size_t sent = 0;
    net::Failure failure;
    while (sent < bytes.size()) {
      const int n = net::sendSome(socket, bytes.data() + sent, static_cast<int>(bytes.size() - sent),
                                  failure);
      if (n == net::kFailed) {
        finish(failure.kind, failure.text);
        return false;
      }
      sent += static_cast<std::size_t>(n);
      if (sent < bytes.size() && net::waitReady(socket, true, msLeft(deadline)) != 1) {
        finish(SerialError::Other, "send: the server takes nothing");
        return false;
      }
    }
    return true;
  }

  void finish(SerialError kind, const std::string& text) {
    error = kind;
    errorText = text;
    net::closeSocket(socket);
    socket = net::kNoSocket;
    done = true;
  }
};

NetworkSerialDriver::NetworkSerialDriver(Scheduler& scheduler) : scheduler_(scheduler) {}

NetworkSerialDriver::~NetworkSerialDriver() { close(); }

SerialError NetworkSerialDriver::fail(SerialError kind, const std::string& text) {
  std::lock_guard lock(errorMutex_);
  lastError_ = text;
  return kind;
}

std::string NetworkSerialDriver::lastErrorText() const {
  std::lock_guard lock(errorMutex_);
  return lastError_;
}

SerialError NetworkSerialDriver::open(const std::string& path) {
  // The window's events run while we connect; one of them may ask for a port again.
  if (opening_) return fail(SerialError::Busy, path + ": a connection is being made");
  close();
  lost_ = false;
  const auto parsed = parseNetworkAddress(path);
  if (const auto* why = std::get_if<std::string>(&parsed)) return fail(SerialError::NotFound, *why);

  auto job = std::make_shared<Opening>();
  job->address = std::get<NetworkAddress>(parsed);
  opening_ = true;
  std::thread worker([job] { job->run(); });
  while (!job->done) scheduler_.waitPumping(kPumpStepMs);
  worker.join();
  opening_ = false;
  if (job->error != SerialError::None) return fail(job->error, job->errorText);

  telnet_ = job->address.kind == NetworkAddress::Kind::Rfc2217;
  session_ = std::move(job->session);
  received_.assign(job->data.begin(), job->data.end());
  dataWaiting_ = !received_.empty();
  lost_ = false;
  waiter_.attach(job->socket);
  socket_ = job->socket;
  return SerialError::None;
}

bool NetworkSerialDriver::takeInput() {
  const net::Socket s = socket_;
  if (s == net::kNoSocket || lost_) return false;
  std::uint8_t buffer[kChunkBytes];
  std::vector<std::uint8_t> data;
  std::vector<std::uint8_t> replies;
  net::Failure failure;
  bool open = true;
  for (;;) {
    const int n = net::receive(s, buffer, kChunkBytes, failure);
    if (n == net::kWouldBlock) break;
    if (n == 0 || n == net::kFailed) {
      fail(SerialError::Vanished,
           n == 0 ? "the server closed the connection" : failure.text);
      if (session_) session_->closed();
      open = false;
      break;
    }
    const std::span<const std::uint8_t> bytes(buffer, static_cast<std::size_t>(n));
    if (session_)
      session_->received(bytes, data, replies);
    else
      data.insert(data.end(), bytes.begin(), bytes.end());
  }
  received_.insert(received_.end(), data.begin(), data.end());
  dataWaiting_ = !received_.empty();
  if (open && !replies.empty()) open = sendRaw(replies) == SerialError::None;
  if (!open) lost_ = true;
  return open;
}

int NetworkSerialDriver::queuedInputBytes() {
  if (socket_ == net::kNoSocket) return -1;
  takeInput();
  if (!received_.empty()) return static_cast<int>(std::min<std::size_t>(received_.size(), 1 << 20));
  return lost_ ? -1 : 0;
}

int NetworkSerialDriver::read(std::uint8_t* buffer, int maxBytes) {
  if (socket_ == net::kNoSocket) return -1;
  if (received_.empty() && lost_) return -1;
  const int n = std::min(maxBytes, static_cast<int>(received_.size()));
  std::copy_n(received_.begin(), n, buffer);
  received_.erase(received_.begin(), received_.begin() + n);
  dataWaiting_ = !received_.empty();
  return n;
}

SerialError NetworkSerialDriver::writeAll(std::span<const std::uint8_t> bytes) {
  if (socket_ == net::kNoSocket || lost_) return SerialError::Vanished;
  if (!telnet_) return sendRaw(bytes);
  std::vector<std::uint8_t> escaped;
  escaped.reserve(bytes.size() + 8);
  TelnetComPort::escape(bytes, escaped);
  return sendRaw(escaped);
}

SerialError NetworkSerialDriver::sendRaw(std::span<const std::uint8_t> bytes) {
  // As for a port of the system: a byte a millisecond, twice over, and two seconds besides; a
  // server that takes nothing for that long has stopped answering.
  const auto deadline = Clock::now() + std::chrono::milliseconds(2000 + 2 * bytes.size());
  const net::Socket s = socket_;
  std::size_t sent = 0;
  net::Failure failure;
  while (sent < bytes.size()) {
    const int n = net::sendSome(s, bytes.data() + sent, static_cast<int>(bytes.size() - sent),
                                failure);
    if (n == net::kFailed) {
      if (failure.kind == SerialError::Vanished) lost_ = true;
      return fail(failure.kind, failure.text);
    }
    sent += static_cast<std::size_t>(n);
    if (sent == bytes.size()) break;
    const int left = msLeft(deadline);
    if (left == 0) return fail(SerialError::Other, "send: the server takes nothing");
    net::waitReady(s, true, std::min(left, 100));
  }
  return SerialError::None;
}

void NetworkSerialDriver::purge() {
  takeInput();
  received_.clear();
  dataWaiting_ = false;
}

void NetworkSerialDriver::close() {
  const net::Socket s = socket_.exchange(net::kNoSocket);
  if (s == net::kNoSocket) return;
  waiter_.attach(net::kNoSocket);
  net::closeSocket(s);
  session_.reset();
  received_.clear();
  dataWaiting_ = false;
}

SerialDriver::Wait NetworkSerialDriver::waitReceived() {
  for (;;) {
    // Data the last read left behind needs no new input to be worth a notification.
    if (dataWaiting_) return Wait::Received;
    if (lost_ || socket_ == net::kNoSocket) return Wait::Failed;
    switch (waiter_.wait()) {
      case net::InputWaiter::Result::Readable: return Wait::Received;
      case net::InputWaiter::Result::Woken: return Wait::Interrupted;
      case net::InputWaiter::Result::Failed: return Wait::Failed;
    }
  }
}

void NetworkSerialDriver::interruptWait() { waiter_.wake(); }

}  // namespace lyra
