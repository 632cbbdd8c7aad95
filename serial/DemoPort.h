#pragma once
// The demo port: simulated devices that run inside the program, listed after the system's ports
// on every platform, so that every function can be tried without hardware.
//
// serial/ knows only the entry and how to route its opening; the bus and its devices (sim/DemoBus)
// are composed by the front ends, so nothing here depends on the simulator:
//   PortsWithDemo      the system's ports, then the Demo entry
//   DemoRoutingDriver  opens the Demo entry's path on the demo driver, every other path on the
//                      system's driver, and passes each later call to the one it opened with

#include <string>

#include "serial/PortSource.h"
#include "serial/SerialDriver.h"

namespace lyra {

inline constexpr const char* kDemoPortName = "Demo";
// What the driver is asked to open for the Demo entry; no system names a device this way.
inline constexpr const char* kDemoDevicePath = "lyraphone-demo:";

PortEntry demoPortEntry();
bool isDemoPort(const PortEntry& entry);

class PortsWithDemo final : public PortSource {
 public:
  explicit PortsWithDemo(PortSource& system) : system_(system) {}
  // The system's ports and the Demo entry; nothing when the system's list cannot be read (the
  // caller keeps what it had, Demo included).
  std::optional<std::vector<PortEntry>> readSystemPorts() override;

 private:
  PortSource& system_;
};

class DemoRoutingDriver final : public SerialDriver {
 public:
  DemoRoutingDriver(SerialDriver& system, SerialDriver& demo)
      : system_(system), demo_(demo), active_(&system) {}

  SerialError open(const std::string& path) override;
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
  std::string lastErrorText() const override { return active_->lastErrorText(); }

  bool demoOpen() const { return active_ == &demo_ && demo_.isOpen(); }

 private:
  SerialDriver& system_;
  SerialDriver& demo_;
  // The driver of the last open: the link's calls after it, its close included, go there. Set on
  // the window thread before the link starts a reader, which only reads it.
  SerialDriver* active_;
};

}  // namespace lyra
