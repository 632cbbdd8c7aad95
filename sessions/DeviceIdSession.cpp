#include "sessions/DeviceIdSession.h"

#include "preset/ParameterRow.h"
#include "protocol/CommandFrame.h"

namespace lyra {

DeviceIdSession::DeviceIdSession(Scheduler& scheduler, TimerTable& timers, SerialLink& link,
                                 SendPump& pump, LinkSupervisor& supervisor,
                                 BusAddressing& address, WaitingFlags& flags,
                                 const PresetImage& image, ReplyParser& parser,
                                 SessionEvents& events)
    : scheduler_(scheduler),
      timers_(timers),
      link_(link),
      pump_(pump),
      supervisor_(supervisor),
      address_(address),
      flags_(flags),
      image_(image),
      events_(events) {
  timers_.Timer2.onTick = [this] {
    timers_.Timer2.stop();
    Outcome done{Operation::DeviceIdChange, OutcomeKind::Acknowledged};
    done.deviceId = address_.DeviceId;
    events_.ended(done);
  };
  parser.route(Reply::IdAck, Owner::DeviceIdentity, [this](ReceivedReply&) {
    if (flags_.IdAckAwaited != 1) return false;
    flags_.IdAckAwaited = 0;
    timers_.Timer2.start();
    return true;
  });
  // Only a reply that names the probed address counts: the connected device's answer to a poll
  // sent just before the probe names its own.
  parser.route(Reply::Status, Owner::DeviceIdentity, [this](ReceivedReply& r) {
    if (probedAddress_ >= 0 && r.busAddress() == probedAddress_ &&
        r.hasIntactFrame(kStatusReplyBytes))
      probeAnswered_ = true;
    return false;
  });
}

DeviceIdSession::Change DeviceIdSession::change(int id, bool force) {
  const auto noLink = [this] {
    events_.ended({Operation::DeviceIdChange, OutcomeKind::NoLink});
    return Change::NoLink;
  };
  if (!link_.PortOpen() || probedAddress_ >= 0) return noLink();
  const bool probe = !force && !address_.isBroadcast() && id != address_.DeviceId;
  if (probe) {
    const bool inUse = answersAt(BusAddressing::busAddressOf(id));
    // The port may have left during the wait; the connection has reported it then.
    if (!link_.PortOpen()) return noLink();
    if (inUse) {
      Outcome refused{Operation::DeviceIdChange, OutcomeKind::DeviceIdInUse};
      refused.deviceId = id;
      events_.ended(refused);
      return Change::InUse;
    }
  }
  flags_.IdAckAwaited = 1;
  address_.DeviceId = id;
  systemRecordWrite();
  return Change::Sent;
}

bool DeviceIdSession::answersAt(std::uint8_t address) {
  supervisor_.pause();
  probedAddress_ = address;
  probeAnswered_ = false;
  link_.TransmitBuffer.clear();
  pump_.sendNow(statusPoll(address), SendPump::ReceiveText::Clear);
  scheduler_.waitPumping(kProbeWaitMs);
  probedAddress_ = -1;
  supervisor_.resume();
  return probeAnswered_;
}

void DeviceIdSession::systemRecordWrite() {
  link_.ReceiveText.clear();
  SystemRecord record = image_.system;  // everything else as last read
  record.deviceId = static_cast<std::uint8_t>(address_.DeviceId);
  pump_.queueParameterWrite(kSystemRecordSlot,
                            parameterWrite(address_.BusAddress, kSystemRowAddress.group,
                                           kSystemRowAddress.item, SystemRow(record)));
  if (address_.isBroadcast()) return;  // every device took it; there is no one address to follow
  address_.BusAddress = BusAddressing::busAddressOf(address_.DeviceId);
  if (onFollowed) onFollowed(address_.DeviceId);
}

}  // namespace lyra
