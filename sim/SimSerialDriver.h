#pragma once
// The program's side of a simulated bus port, behind the same seam as a real serial port.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "serial/SerialDriver.h"

namespace lyra {

class SimBus;

class SimSerialDriver final : public SerialDriver {
 public:
  explicit SimSerialDriver(SimBus& bus) : bus_(&bus) {}
  ~SimSerialDriver() override;

  SerialError open(const std::string& path) override;
  bool isOpen() const override { return !port_.empty(); }
  int queuedInputBytes() override;
  int read(std::uint8_t* buffer, int maxBytes) override;
  SerialError writeAll(std::span<const std::uint8_t> bytes) override;
  void purge() override { received_.clear(); }
  void close() override;
  // The bus runs on the window thread in virtual time: there is no thread to block, so the link
  // is told of each byte by watchReceived() instead.
  Wait waitReceived() override { return Wait::Failed; }
  void interruptWait() override {}
  bool watchReceived(std::function<void()> onReceived) override;
  std::string lastErrorText() const override { return lastError_; }

 private:
  friend class SimBus;
  void byteArrived(std::uint8_t byte);
  // Without byte timing: a whole reply at once, and one call of the watcher for it.
  void bytesArrived(const std::vector<std::uint8_t>& bytes);
  void portVanished();
  void busGone() { bus_ = nullptr; port_.clear(); }

  SimBus* bus_;
  std::string port_;  // empty while closed
  bool vanished_ = false;
  std::deque<std::uint8_t> received_;
  std::function<void()> onReceived_;
  std::string lastError_;
};

}  // namespace lyra
