#include "sim/SimBus.h"

#include <algorithm>

#include "sim/SimSerialDriver.h"

namespace lyra {

struct SimBus::Line {
  std::vector<BusPeer*> peers;
  SimSerialDriver* holder = nullptr;        // the driver that has this port open
  std::int64_t programLineFreeUs = 0;       // when the program's last byte is off the wire
  std::map<const BusPeer*, std::int64_t> peerFreeUs;  // when each peer's last byte is done
  std::map<std::int64_t, std::uint8_t> incoming;      // bytes on the way to the program
  std::map<const BusPeer*, int> wholeOnTheWay;        // without byte timing: replies posted
  std::vector<Write> writes;
  int collisions = 0;
};

SimBus::SimBus(Scheduler& scheduler) : scheduler_(scheduler) {}

SimBus::~SimBus() {
  for (auto& [name, l] : lines_)
    if (l->holder) l->holder->busGone();
}

SimBus::Line* SimBus::line(const std::string& name) {
  auto it = lines_.find(name);
  return it == lines_.end() ? nullptr : it->second.get();
}

const SimBus::Line* SimBus::line(const std::string& name) const {
  auto it = lines_.find(name);
  return it == lines_.end() ? nullptr : it->second.get();
}

void SimBus::addPort(const std::string& name) {
  if (!line(name)) lines_.emplace(name, std::make_unique<Line>());
}

void SimBus::removePort(const std::string& name) {
  auto it = lines_.find(name);
  if (it == lines_.end()) return;
  if (it->second->holder) it->second->holder->portVanished();
  lines_.erase(it);
}

bool SimBus::hasPort(const std::string& name) const { return line(name) != nullptr; }

std::vector<std::string> SimBus::portNames() const {
  std::vector<std::string> names;
  for (const auto& [name, l] : lines_) names.push_back(name);
  return names;
}

void SimBus::attach(const std::string& port, BusPeer* peer) {
  addPort(port);
  line(port)->peers.push_back(peer);
}

void SimBus::detach(const std::string& port, BusPeer* peer) {
  if (Line* l = line(port)) std::erase(l->peers, peer);
}

SerialError SimBus::claimPort(const std::string& port, SimSerialDriver* driver) {
  Line* l = line(port);
  if (!l) return SerialError::NotFound;
  if (l->holder && l->holder != driver) return SerialError::Busy;
  l->holder = driver;
  return SerialError::None;
}

void SimBus::releasePort(const std::string& port, SimSerialDriver* driver) {
  if (Line* l = line(port); l && l->holder == driver) l->holder = nullptr;
}

void SimBus::programWrites(const std::string& port, const std::vector<std::uint8_t>& bytes) {
  Line* l = line(port);
  if (!l || bytes.empty()) return;
  const std::int64_t now = scheduler_.nowUs();
  l->writes.push_back({now, bytes});
  if (!byteTiming_) {
    scheduler_.post(0, [this, port, bytes] {
      if (Line* at = line(port)) {
        const std::vector<BusPeer*> peers = at->peers;
        for (std::uint8_t byte : bytes)
          for (BusPeer* p : peers) p->byteFromProgram(byte);
      }
    });
    return;
  }
  // Bytes of a second write queue behind the first, as they do in the UART's transmit buffer.
  const std::int64_t start = std::max(now, l->programLineFreeUs);
  for (size_t k = 0; k < bytes.size(); ++k) {
    const std::int64_t doneUs = start + byteTimeUs(static_cast<std::int64_t>(k) + 1);
    const std::uint8_t byte = bytes[k];
    scheduler_.post(doneUs - now, [this, port, byte] {
      if (Line* at = line(port)) {
        const std::vector<BusPeer*> peers = at->peers;  // a peer may detach while hearing
        for (BusPeer* p : peers) p->byteFromProgram(byte);
      }
    });
  }
  l->programLineFreeUs = start + byteTimeUs(static_cast<std::int64_t>(bytes.size()));
}

void SimBus::sendToProgram(const std::string& port, const std::vector<std::uint8_t>& bytes,
                           std::int64_t delayUs, const BusPeer* from) {
  Line* l = line(port);
  if (!l || bytes.empty()) return;
  const std::int64_t now = scheduler_.nowUs();
  std::int64_t& peerFree = l->peerFreeUs[from];
  const std::int64_t start = std::max(now + delayUs, peerFree);
  if (!byteTiming_) {
    int& onTheWay = l->wholeOnTheWay[from];
    if (delayUs <= 0 && onTheWay == 0) return deliverWhole(port, bytes);
    peerFree = start;
    ++onTheWay;
    scheduler_.post(start - now, [this, port, bytes, from] {
      if (Line* at = line(port)) --at->wholeOnTheWay[from];
      deliverWhole(port, bytes);
    });
    return;
  }
  const std::int64_t byteUs = byteTimeUs(1);
  for (size_t k = 0; k < bytes.size(); ++k) {
    const std::int64_t slot = start + byteTimeUs(static_cast<std::int64_t>(k) + 1);
    // Another peer's byte on the wire at the same time: both drive the line and the program
    // reads the wired-AND of the two.
    auto near = l->incoming.lower_bound(slot - byteUs + 1);
    if (near != l->incoming.end() && near->first < slot + byteUs) {
      near->second &= bytes[k];
      ++l->collisions;
      continue;
    }
    l->incoming.emplace(slot, bytes[k]);
    scheduler_.post(slot - now, [this, port, slot] { deliverToProgram(port, slot); });
  }
  peerFree = start + byteTimeUs(static_cast<std::int64_t>(bytes.size()));
}

void SimBus::deliverToProgram(const std::string& port, std::int64_t slotUs) {
  Line* l = line(port);
  if (!l) return;
  auto it = l->incoming.find(slotUs);
  if (it == l->incoming.end()) return;
  const std::uint8_t byte = it->second;
  l->incoming.erase(it);
  if (l->holder) l->holder->byteArrived(byte);  // nobody listening: the byte is lost
}

void SimBus::deliverWhole(const std::string& port, const std::vector<std::uint8_t>& bytes) {
  Line* l = line(port);
  if (l && l->holder) l->holder->bytesArrived(bytes);  // nobody listening: the reply is lost
}

const std::vector<SimBus::Write>& SimBus::writes(const std::string& port) const {
  static const std::vector<Write> none;
  const Line* l = line(port);
  return l ? l->writes : none;
}

void SimBus::clearWrites(const std::string& port) {
  if (Line* l = line(port)) l->writes.clear();
}

int SimBus::collisions(const std::string& port) const {
  const Line* l = line(port);
  return l ? l->collisions : 0;
}

std::unique_ptr<SerialDriver> SimBus::makeDriver() {
  return std::make_unique<SimSerialDriver>(*this);
}

namespace {

class SimPortSource final : public PortSource {
 public:
  explicit SimPortSource(const SimBus& bus) : bus_(bus) {}
  std::optional<std::vector<PortEntry>> readSystemPorts() override {
    std::vector<PortEntry> ports;
    for (const std::string& name : bus_.portNames()) ports.push_back({name, name});
    return ports;
  }

 private:
  const SimBus& bus_;
};

}  // namespace

std::unique_ptr<PortSource> SimBus::makePortSource() {
  return std::make_unique<SimPortSource>(*this);
}

}  // namespace lyra
