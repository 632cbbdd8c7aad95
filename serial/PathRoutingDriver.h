#pragma once
// A driver that opens some paths on a driver of their own and every other path on the next one,
// and passes each later call to the driver it opened with. The front ends stack them: the demo's
// routing (serial/DemoPort.h) on the network's (NetworkRoutingDriver) on the system's driver.

#include <functional>
#include <string>
#include <utility>

#include "serial/SerialDriver.h"

namespace lyra {

class PathRoutingDriver : public SerialDriver {
 public:
  // Paths for which ownsPath holds go to own, all others to next.
  PathRoutingDriver(SerialDriver& next, SerialDriver& own,
                    std::function<bool(const std::string&)> ownsPath)
      : next_(next), own_(own), ownsPath_(std::move(ownsPath)), active_(&next) {}

  SerialError open(const std::string& path) override {
    // A network connect keeps the window's events running while it waits; a port asked for by
    // one of them must wait its turn, or the calls after the first open would go astray.
    if (opening_) return SerialError::Busy;
    // One port at a time: whatever the other driver held is let go first.
    SerialDriver* chosen = ownsPath_(path) ? &own_ : &next_;
    if (chosen != active_ && active_->isOpen()) active_->close();
    active_ = chosen;
    opening_ = true;
    const SerialError result = active_->open(path);
    opening_ = false;
    return result;
  }
  bool isOpen() const override { return active_->isOpen(); }
  int queuedInputBytes() override { return active_->queuedInputBytes(); }
  int read(std::uint8_t* buffer, int maxBytes) override { return active_->read(buffer, maxBytes); }
  SerialError writeAll(std::span<const std::uint8_t> bytes) override {
    return active_->writeAll(bytes);
  }
  void purge() override { active_->purge(); }
  void close() override { active_->close(); }
  Wait waitReceived() override { return active_->waitReceived(); }
  void interruptWait() override { active_->interruptWait(); }
  // The demo driver runs on the window thread and says so here; the link then starts no reader.
  bool watchReceived(std::function<void()> onReceived) override {
    return active_->watchReceived(std::move(onReceived));
  }
  bool connectionLost() const override { return active_->connectionLost(); }
  std::string lastErrorText() const override { return active_->lastErrorText(); }

 protected:
  bool ownOpen() const { return active_ == &own_ && own_.isOpen(); }

 private:
  SerialDriver& next_;
  SerialDriver& own_;
  std::function<bool(const std::string&)> ownsPath_;
  // The driver of the last open: the link's calls after it, its close included, go there. Set on
  // the window thread before the link starts a reader, which only reads it.
  SerialDriver* active_;
  bool opening_ = false;
};

}  // namespace lyra
