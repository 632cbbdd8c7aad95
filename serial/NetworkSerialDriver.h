#pragma once
// Serial ports on the network: a device server's port as rfc2217://HOST:PORT (telnet with com
// port control: the driver sets 9600 8N1 and checks what the server answers) or tcp://HOST:PORT
// (raw bytes, the server's line as it is set). See serial/NetworkAddress.h for the forms.
//
// open() is called on the window thread. The name look-up, the connect (at most kConnectMs) and
// the telnet negotiation (at most kNegotiationMs) run on a worker thread while the window thread
// keeps handling its events through the Scheduler (waitPumping), so a slow or silent server never
// freezes the window; open() returns when the worker is done. Afterwards everything but the
// reader's wait runs on the window thread: queuedInputBytes() takes what the socket holds through
// the telnet state machine (answering the server where it must) and counts the data bytes.
//
// A connection the server closes or resets is a port that has left the system: reads and writes
// fail with Vanished and connectionLost() says so to the port check.

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "serial/NetworkAddress.h"
#include "serial/NetworkSocket.h"
#include "serial/SerialDriver.h"
#include "serial/TelnetComPort.h"
#include "timing/Scheduler.h"

namespace lyra {

class NetworkSerialDriver final : public SerialDriver {
 public:
  static constexpr int kConnectMs = 3000;
  static constexpr int kNegotiationMs = 3000;
  // How long the window thread handles events between looks at the worker.
  static constexpr int kPumpStepMs = 10;

  explicit NetworkSerialDriver(Scheduler& scheduler);
  ~NetworkSerialDriver() override;
  NetworkSerialDriver(const NetworkSerialDriver&) = delete;
  NetworkSerialDriver& operator=(const NetworkSerialDriver&) = delete;

  SerialError open(const std::string& path) override;
  bool isOpen() const override { return socket_ != net::kNoSocket; }
  int queuedInputBytes() override;
  int read(std::uint8_t* buffer, int maxBytes) override;
  SerialError writeAll(std::span<const std::uint8_t> bytes) override;
  void purge() override;
  void close() override;
  Wait waitReceived() override;
  void interruptWait() override;
  bool connectionLost() const override { return lost_; }
  std::string lastErrorText() const override;

 private:
  struct Opening;  // the worker's job, shared with it
  SerialError fail(SerialError kind, const std::string& text);
  // Takes what the socket holds into received_; false when the connection has ended.
  bool takeInput();
  SerialError sendRaw(std::span<const std::uint8_t> bytes);

  Scheduler& scheduler_;
  std::atomic<net::Socket> socket_{net::kNoSocket};
  bool opening_ = false;
  bool telnet_ = false;
  std::unique_ptr<TelnetComPort> session_;
  std::deque<std::uint8_t> received_;      // data bytes not yet read; window thread only
  std::atomic<bool> dataWaiting_{false};   // received_ is not empty, for the reader's wait
  std::atomic<bool> lost_{false};          // the server closed or reset the connection
  net::InputWaiter waiter_;
  mutable std::mutex errorMutex_;
  std::string lastError_;
};

}  // namespace lyra
