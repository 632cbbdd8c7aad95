#include "sim/SimSerialDriver.h"

#include <algorithm>

#include "sim/SimBus.h"

namespace lyra {

SimSerialDriver::~SimSerialDriver() { close(); }

SerialError SimSerialDriver::open(const std::string& path) {
  close();
  vanished_ = false;
  const SerialError error = bus_ ? bus_->claimPort(path, this) : SerialError::NotFound;
  if (error == SerialError::NotFound) lastError_ = "open: no such port " + path;
  if (error == SerialError::Busy) lastError_ = "open: " + path + " is in use";
  if (error != SerialError::None) return error;
  port_ = path;
  received_.clear();
  return SerialError::None;
}

void SimSerialDriver::close() {
  if (bus_ && !port_.empty()) bus_->releasePort(port_, this);
  port_.clear();
  received_.clear();
  onReceived_ = nullptr;
}

int SimSerialDriver::queuedInputBytes() {
  if (vanished_ || port_.empty()) return -1;
  return static_cast<int>(received_.size());
}

int SimSerialDriver::read(std::uint8_t* buffer, int maxBytes) {
  if (vanished_ || port_.empty()) return -1;
  const auto n = std::min(static_cast<std::size_t>(std::max(maxBytes, 0)), received_.size());
  const auto end = received_.begin() + static_cast<std::ptrdiff_t>(n);
  std::copy(received_.begin(), end, buffer);
  received_.erase(received_.begin(), end);
  return static_cast<int>(n);
}

SerialError SimSerialDriver::writeAll(std::span<const std::uint8_t> bytes) {
  if (vanished_ || port_.empty() || !bus_) {
    lastError_ = "write: the port has gone away";
    return SerialError::Vanished;
  }
  bus_->programWrites(port_, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  return SerialError::None;
}

bool SimSerialDriver::watchReceived(std::function<void()> onReceived) {
  onReceived_ = std::move(onReceived);
  return true;
}

void SimSerialDriver::byteArrived(std::uint8_t byte) {
  received_.push_back(byte);
  if (onReceived_) onReceived_();
}

void SimSerialDriver::bytesArrived(const std::vector<std::uint8_t>& bytes) {
  received_.insert(received_.end(), bytes.begin(), bytes.end());
  if (onReceived_) onReceived_();
}

void SimSerialDriver::portVanished() {
  // The adapter is gone but the program still holds its handle: every later call fails.
  vanished_ = true;
  received_.clear();
}

}  // namespace lyra
