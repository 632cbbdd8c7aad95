#pragma once
// lyraphone-sim --listen: the simulated bus served over TCP, as a device server serves a serial
// port: rfc2217:// speaks the server's end of telnet com port control (the line is 9600 8N1 and
// stays so: every setting asked for is answered with that), tcp:// passes raw bytes.
//
// One client at a time, as a serial port has one program: a second connection is closed at once.
// What the client sends goes onto the simulated line (onData); send() carries the line's bytes
// back to it.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "serial/NetworkAddress.h"
#include "serial/TelnetComPort.h"
#include "simserver/PollLoop.h"

namespace lyra {

class NetListener {
 public:
  NetListener(PollLoop& loop, NetworkAddress address);
  ~NetListener();
  NetListener(const NetListener&) = delete;
  NetListener& operator=(const NetListener&) = delete;

  // Listens on the address (port 0: one the system picks); false with error() set when that fails.
  bool start();
  // Stops listening and drops the client: to it the port has gone.
  void stop();
  // Writes the line's bytes to the client, if there is one.
  void send(std::span<const std::uint8_t> bytes);

  bool hasClient() const { return client_ >= 0; }
  // The address as listened on, with the port the system picked.
  std::string address() const;
  const std::string& error() const { return error_; }

  std::function<void(std::span<const std::uint8_t>)> onData;
  std::function<void(const std::string&)> onNote;  // for the traffic log

 private:
  void accept();
  void clientEvent(bool readable, bool hungUp);
  void dropClient(const std::string& why);
  void sendRaw(std::span<const std::uint8_t> bytes);

  PollLoop& loop_;
  NetworkAddress address_;
  int listener_ = -1;
  int client_ = -1;
  std::unique_ptr<TelnetComPort> telnet_;
  std::string error_;
};

}  // namespace lyra
