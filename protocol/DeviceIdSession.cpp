#include "protocol/DeviceIdSession.h"

#include "preset/ParameterRow.h"
#include "protocol/CommandFrame.h"

namespace lyra {

DeviceIdSession::DeviceIdSession(TimerTable& timers, SerialLink& link, SendPump& pump,
                                 BusAddressing& address, WaitingFlags& flags,
                                 const PresetImage& image, ReplyParser& parser, Dialogs& dialogs)
    : timers_(timers),
      link_(link),
      pump_(pump),
      address_(address),
      flags_(flags),
      image_(image),
      dialogs_(dialogs) {
  timers_.Timer2.onTick = [this] {
    timers_.Timer2.stop();
    dialogs_.message("DeviceID change to " + std::to_string(address_.DeviceId));
    if (onAcknowledged) onAcknowledged(address_.DeviceId);
  };
  parser.route(Reply::IdAck, Owner::DeviceIdentity, [this](ReceivedReply&) {
    if (flags_.IdAckAwaited != 1) return false;
    flags_.IdAckAwaited = 0;
    timers_.Timer2.start();
    return true;
  });
}

void DeviceIdSession::change(int id) {
  if (!link_.PortOpen()) return;
  flags_.IdAckAwaited = 1;
  address_.DeviceId = id;
  systemRecordWrite();
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
