#pragma once
// One device on a simulated bus: it hears every byte on its port, takes the frames addressed to
// its BusAddress (or to everyone, 0xFF), applies them to its memory and answers as the real
// processor does, after a few milliseconds of turnaround and at the line's byte timing.
//
//   status poll              -> status reply (temperature reading, attenuation)
//   read active preset       -> the 320 data bytes of the active preset
//   load stored preset n     -> makes slot n active, then sends it (index byte n)
//   read NameTable           -> the twenty names, 400 bytes
//   read stored block n      -> block n
//   SystemRecord read/write  -> the record / an acknowledgement, then the new DeviceId
//   parameter write          -> the row lands in the active preset; acknowledged
//   user preset name save    -> the active preset and its name go into Usr6 or Usr7; acknowledged
//   upload                   -> replaces the active preset or stored block n; no reply
//
// Writes to 0xFF are taken by every device and acknowledged by none, since every device would
// answer at once; reads to 0xFF are answered by every device, and their replies collide on the
// line as on a real bus. A frame is answered once, and anything that is not a well-formed request
// for this device is ignored.
//
// The model is plain C++ on the Scheduler seam: tests run it in virtual time, lyraphone-sim in
// real time.

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "sim/DeviceFaults.h"
#include "sim/DeviceMemory.h"
#include "sim/DeviceStatus.h"
#include "sim/FrameReader.h"
#include "sim/SimBus.h"

namespace lyra {

class DeviceModel final : public BusPeer {
 public:
  // The real processor starts sending 2..4 ms after a request's last byte; reading a preset from
  // its memory takes a few ms more.
  static constexpr std::int64_t kTurnaroundUs = 2'000;
  static constexpr std::int64_t kTurnaroundJitterUs = 2'000;
  static constexpr std::int64_t kMemoryReadUs = 6'000;

  // Attaches itself to the bus's port; seed makes its jitter, drift and faults repeatable.
  DeviceModel(SimBus& bus, std::string port, int deviceId, std::uint32_t seed = 1);
  ~DeviceModel() override;
  DeviceModel(const DeviceModel&) = delete;
  DeviceModel& operator=(const DeviceModel&) = delete;

  void byteFromProgram(std::uint8_t byte) override;

  int deviceId() const { return memory_.deviceId(); }
  std::uint8_t busAddress() const { return memory_.busAddress(); }
  const std::string& port() const { return port_; }

  DeviceMemory& memory() { return memory_; }
  const DeviceMemory& memory() const { return memory_; }
  DeviceStatus& status() { return status_; }
  DeviceFaults& faults() { return faults_; }
  // How late a request's next byte may come before the device drops the request.
  void setFrameGapUs(std::int64_t us) { reader_.frameGapUs = us; }

  // Every frame this device took (addressed to it or to everyone) and every reply it sent, for
  // the traffic log. `sent` is true for a reply; the bytes are the reply as the device meant it,
  // before any line fault.
  std::function<void(bool sent, const std::vector<std::uint8_t>& bytes)> onTraffic;
  // Frames and replies counted since the device was made.
  int framesTaken() const { return framesTaken_; }
  int repliesSent() const { return repliesSent_; }

 private:
  void frameReceived(const ReceivedFrame& f);
  void handleRead(const ReceivedFrame& f);
  void handleWrite(const ReceivedFrame& f, bool broadcast);
  void writeSystemRecord(const ReceivedFrame& f, bool broadcast);
  // Sends a reply frame from this device after its turnaround (plus extraUs), through the faults.
  // Returns when the reply's last byte will be off the line.
  std::int64_t reply(std::uint8_t command, std::uint8_t index, std::uint8_t group,
                     std::span<const std::uint8_t> payload, std::int64_t extraUs = 0);
  void acknowledge(std::uint8_t group);
  // One copy of a reply on the line from startUs, byte by byte, with the line faults applied.
  void sendOnLine(const std::vector<std::uint8_t>& frame, std::int64_t startUs, std::int64_t nowUs);

  SimBus& bus_;
  std::string port_;
  DeviceMemory memory_;
  DeviceStatus status_;
  DeviceFaults faults_;
  FrameReader reader_;
  std::mt19937 random_;
  // After a SystemRecord write the device answers to its new address only once its
  // acknowledgement is out; until then it is still the old one.
  int pendingDeviceId_ = 0;
  Scheduler::Token moveToken_ = 0;
  std::int64_t lineFreeUs_ = 0;  // when this device's last reply byte is off the line
  std::int64_t gatherSendUs_ = 0;  // when the packet of gathered replies leaves
  int framesTaken_ = 0;
  int repliesSent_ = 0;
};

}  // namespace lyra
