#pragma once
// A simulated serial bus: named ports, each a line shared by the program and the devices
// attached to it, with bytes moving at 9600-baud timing on the scheduler's clock.
//
// In tests the clock is virtual, so a whole connection handshake runs in microseconds of real
// time and every byte's arrival time is exact and repeatable.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "serial/PortSource.h"
#include "serial/SerialDriver.h"
#include "timing/Scheduler.h"

namespace lyra {

class SimSerialDriver;

// Something on the bus that hears what the program sends: a device.
class BusPeer {
 public:
  virtual ~BusPeer() = default;
  // One byte the program sent has crossed the wire (its stop bit is done).
  virtual void byteFromProgram(std::uint8_t byte) = 0;
};

class SimBus {
 public:
  // One byte is 10 bits on the wire (start, 8 data, stop): 1041.67 us at 9600 baud.
  static constexpr std::int64_t kBitsPerByte = 10;
  static constexpr std::int64_t kBaud = 9600;
  static std::int64_t byteTimeUs(std::int64_t bytes) { return bytes * kBitsPerByte * 1'000'000 / kBaud; }

  explicit SimBus(Scheduler& scheduler);
  ~SimBus();
  SimBus(const SimBus&) = delete;
  SimBus& operator=(const SimBus&) = delete;

  Scheduler& scheduler() { return scheduler_; }

  // Byte timing is on unless switched off. Without it, each write or reply crosses the line in
  // one piece and nothing collides: a reply reaches the program's driver whole, within
  // sendToProgram when it has no delay and nothing of the same peer's is still on its way,
  // otherwise delayUs later and behind that peer's earlier replies; a write reaches the peers on
  // the scheduler's next turn. For runs that care which bytes come in between two reads, not
  // when each byte does (the receive-path fuzzer).
  void setByteTiming(bool on) { byteTiming_ = on; }
  bool byteTiming() const { return byteTiming_; }

  // Ports come and go as USB adapters do. Removing a port while a driver has it open makes that
  // driver's next operation fail, as an unplugged adapter does.
  void addPort(const std::string& name);
  void removePort(const std::string& name);
  bool hasPort(const std::string& name) const;
  std::vector<std::string> portNames() const;

  void attach(const std::string& port, BusPeer* peer);
  void detach(const std::string& port, BusPeer* peer);

  // A peer answers: the bytes start on the wire after delayUs (or when the peer's own previous
  // bytes are done) and follow each other at byte timing. Bytes of two peers that are on the
  // line at the same time collide: the program receives the wired-AND of the two.
  void sendToProgram(const std::string& port, const std::vector<std::uint8_t>& bytes,
                     std::int64_t delayUs = 0, const BusPeer* from = nullptr);

  // Everything the program wrote on a port, one record per write call, stamped with the virtual
  // time of the call.
  struct Write {
    std::int64_t timeUs;
    std::vector<std::uint8_t> bytes;
  };
  const std::vector<Write>& writes(const std::string& port) const;
  void clearWrites(const std::string& port);
  // Number of received bytes that collided with another peer's on the line.
  int collisions(const std::string& port) const;

  // A driver for the program's side of this bus; each can hold one port at a time.
  std::unique_ptr<SerialDriver> makeDriver();
  // A PortSource listing this bus's ports (name and device path are the port's name).
  std::unique_ptr<PortSource> makePortSource();

 private:
  friend class SimSerialDriver;
  struct Line;
  Line* line(const std::string& name);
  const Line* line(const std::string& name) const;
  // From a driver: take and give back the port (one holder at a time).
  SerialError claimPort(const std::string& port, SimSerialDriver* driver);
  void releasePort(const std::string& port, SimSerialDriver* driver);
  // From a driver: the program writes bytes on its port.
  void programWrites(const std::string& port, const std::vector<std::uint8_t>& bytes);
  void deliverToProgram(const std::string& port, std::int64_t slotUs);
  void deliverWhole(const std::string& port, const std::vector<std::uint8_t>& bytes);

  Scheduler& scheduler_;
  bool byteTiming_ = true;
  std::map<std::string, std::unique_ptr<Line>> lines_;
};

}  // namespace lyra
