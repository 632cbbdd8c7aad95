#include "sessions/SearchSession.h"

#include <algorithm>
#include <exception>

#include "protocol/CommandFrame.h"
#include "serial/DemoPort.h"
#include "serial/NetworkAddress.h"

namespace lyra {

namespace {

// Runs one step of the link that may fail by throwing (a reader thread that cannot be made, say).
template <typename Step>
bool attempt(Step step) {
  try {
    step();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool namedCom(const std::string& name) {
  return name.size() > 3 && (name[0] == 'C' || name[0] == 'c') &&
         (name[1] == 'O' || name[1] == 'o') && (name[2] == 'M' || name[2] == 'm') &&
         comPortNumber(name).has_value();
}

}  // namespace

SearchSession::SearchSession(Scheduler& scheduler, SerialLink& link, PortList& portList,
                             SendPump& pump, LinkSupervisor& supervisor, WaitingFlags& flags,
                             ReplyParser& parser, bool& cancelled, SessionEvents& events)
    : scheduler_(scheduler),
      link_(link),
      portList_(portList),
      pump_(pump),
      supervisor_(supervisor),
      flags_(flags),
      cancelled_(cancelled),
      events_(events) {
  parser.route(Reply::Status, Owner::Search, [this](ReceivedReply& r) {
    if (flags_.Searching != 1) return false;
    // A reply names the device that sent it. A late one arrives while a later address is being
    // probed: crediting the probe that happens to be waiting would list a device that does not
    // exist and miss the one that answered. A reply for an address not yet probed on this port,
    // or one damaged on the line (a flipped address bit would name another device), is no hit.
    const int address = r.busAddress();
    if (address <= probedAddress_ && r.hasIntactFrame(kStatusReplyBytes))
      hits_.record(link_.PortNumber, address);
    return true;
  });
}

void SearchSession::run(const Plan& plan, const std::function<void(int)>& onProgress) {
  cancelled_ = false;
  flags_.Searching = 1;
  hits_.clear();
  // The port list must not change under the loop, and the port check is for a connection: a
  // searched port that vanishes only ends that port's probes.
  supervisor_.holdPortListRefresh();
  supervisor_.holdPortCheck();
  entries_.clear();
  numbers_.clear();
  for (std::size_t i = 0; i < portList_.entries().size(); ++i) {
    const PortEntry& e = portList_.entries()[i];
    if (!plan.includesDemo && (isDemoPort(e) || isNetworkAddress(e.devicePath))) continue;
    entries_.push_back(portList_.entries()[i]);
    numbers_.push_back(portList_.portNumbers()[i]);
  }

  const int portCount = static_cast<int>(entries_.size());
  int k = 0;
  for (std::size_t i = entries_.size(); i-- > 0;) {
    ++k;
    scheduler_.processEvents();
    if (cancelled_) break;
    if (!probePort(plan, i, k, portCount, onProgress)) break;
  }
  events_.ended({Operation::Search, cancelled_ ? OutcomeKind::Cancelled : OutcomeKind::Done});
}

bool SearchSession::probePort(const Plan& plan, std::size_t entry, int k, int portCount,
                              const std::function<void(int)>& onProgress) {
  link_.PortNumber = numbers_[entry];
  probedAddress_ = -1;  // nothing heard on this port counts until its first probe
  if (link_.PortOpen()) {
    if (!attempt([this] { link_.closePort(); }) && plan.errorsEndSearch) return false;
    scheduler_.waitPumping(kReopenWaitMs);
  }
  bool opened = false;
  if (!attempt([&] { opened = link_.openPort(entries_[entry].devicePath); })) {
    if (plan.errorsEndSearch) return false;
  }
  if (!opened) return true;  // a port that cannot be opened is skipped
  if (!attempt([this] { link_.startReader(); }) && plan.errorsEndSearch) return false;

  for (int address = 0; address < plan.addresses; ++address) {
    scheduler_.processEvents();
    if (cancelled_) return false;
    scheduler_.waitPumping(plan.probeWaitMs);
    // Cancel pressed during the wait: no probe after it.
    if (cancelled_) return false;
    link_.TransmitBuffer.clear();
    pump_.sendNow(statusPoll(static_cast<std::uint8_t>(address)), SendPump::ReceiveText::Clear);
    probedAddress_ = address;
    if (onProgress) onProgress(searchProgressPercent(k, address, portCount, plan.addresses));
    // A probe that could not be written: this port is gone, the next one may not be.
    if (link_.isDead()) return true;
  }
  // The last probes' replies are on their way: give them time before the port is closed, or the
  // highest addresses of every port could never be found. A device that answers late (over a
  // network port, say) still counts for the address it names.
  scheduler_.waitPumping(std::max(plan.probeWaitMs, kLateReplyWaitMs));
  return true;
}

std::vector<std::string> SearchSession::resultLines() const {
  return hits_.resultLines([this](int n) { return portName(n); });
}

void SearchSession::finish() {
  if (link_.PortOpen()) link_.closePort();
  link_.PortNumber = -1;
  flags_.Searching = 0;
  probedAddress_ = -1;
  supervisor_.releasePortListRefresh();
  supervisor_.releasePortCheck();
}

std::string SearchSession::portName(int portNumber) const {
  for (std::size_t i = 0; i < numbers_.size() && i < entries_.size(); ++i) {
    if (numbers_[i] != portNumber) continue;
    if (!namedCom(entries_[i].name)) return entries_[i].name;
    break;
  }
  return "COM" + std::to_string(portNumber);
}

}  // namespace lyra
