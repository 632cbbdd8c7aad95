#pragma once
// What lyraphone-sim runs: a SimBus with its devices, joined to a pseudo-terminal and to the
// network clients of its --listen addresses.
//
// The bytes the program writes on the pseudo-terminal go onto the simulated line as if the
// program's UART sent them, so they reach the devices at 9600-baud timing; the devices' replies
// come back the same way and are written to the pseudo-terminal as they leave the line. The
// program therefore sees the turnaround and the byte timing of a real bus. Replies go back to
// whoever wrote last: the pseudo-terminal or a network client.

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "sim/DeviceModel.h"
#include "sim/FrameReader.h"
#include "simserver/NetListener.h"
#include "simserver/PollLoop.h"
#include "simserver/PtyPort.h"
#include "sim/SimBus.h"
#include "simserver/SimOptions.h"
#include "simserver/TrafficLog.h"

namespace lyra {

class SimServer {
 public:
  SimServer(PollLoop& loop, const SimOptions& options, TrafficLog& log);
  ~SimServer();

  // Makes the port and publishes it in folder; false with error() set when that fails.
  bool start(const std::string& folder);
  // Takes the port away (link and pseudo-terminal).
  void stop();

  const std::string& linkPath() const { return pty_.linkPath(); }
  const std::string& error() const { return error_.empty() ? pty_.error() : error_; }
  const std::vector<std::unique_ptr<NetListener>>& listeners() const { return listeners_; }
  std::vector<std::unique_ptr<DeviceModel>>& devices() { return devices_; }

 private:
  static constexpr const char* kLine = "line";
  void serve(int masterFd);
  void ptyEvent(int masterFd, bool readable, bool hungUp);
  void retire(int masterFd);
  void vanish();
  void comeBack();
  bool startListening();
  // Bytes the program sent, from the pseudo-terminal or the network: onto the simulated line.
  void fromProgram(std::span<const std::uint8_t> bytes);

  PollLoop& loop_;
  SimOptions options_;
  TrafficLog& log_;
  SimBus bus_;
  std::vector<std::unique_ptr<DeviceModel>> devices_;
  std::unique_ptr<SerialDriver> program_;  // the program's end of the simulated line
  FrameReader programFrames_;              // what the program sent, for the log
  PtyPort pty_;
  // Earlier pseudo-terminals that a program reopened in the moment before they were renewed;
  // each is closed once that program lets go of it.
  std::vector<int> retired_;
  int talkerFd_ = -1;  // the master the program last wrote through: replies go back there
  std::vector<std::unique_ptr<NetListener>> listeners_;
  NetListener* talkerNet_ = nullptr;  // or the network client that wrote last
  std::string error_;
  std::string folder_;
  int publishedNumber_ = -1;
};

}  // namespace lyra
