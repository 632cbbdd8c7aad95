#include "app/DeviceIdentity.h"

#include <QRegularExpressionValidator>

#include "preset/ParameterRow.h"
#include "protocol/CommandFrame.h"

namespace lyra {

namespace {
constexpr int kFirstDeviceId = 1;
constexpr int kLastDeviceId = 255;
}  // namespace

DeviceIdentity::DeviceIdentity(WindowAreas& areas, TimerTable& timers, SerialLink& link,
                               SendPump& pump, BusAddressing& address, WaitingFlags& flags,
                               const PresetImage& image, ReplyParser& parser,
                               Dialogs& dialogs)
    : a_(areas),
      timers_(timers),
      link_(link),
      pump_(pump),
      address_(address),
      flags_(flags),
      image_(image),
      dialogs_(dialogs) {
  // Only digits can be typed (or pasted); Backspace and the editing keys work as usual, and
  // Enter presses "OK".
  a_.RzEdit2->setValidator(
      new QRegularExpressionValidator(QRegularExpression("[0-9]*"), a_.RzEdit2));
  QObject::connect(a_.RzEdit2, &QLineEdit::returnPressed, [this] { Button1Click(); });
  QObject::connect(a_.Button1, &QPushButton::clicked, [this] { Button1Click(); });
  timers_.Timer2.onTick = [this] { Timer2Timer(); };
  parser.route(Reply::IdAck, Owner::DeviceIdentity, [this](ReceivedReply&) {
    if (flags_.IdAckAwaited != 1) return false;
    flags_.IdAckAwaited = 0;
    timers_.Timer2.start();
    return true;
  });
}

void DeviceIdentity::Button1Click() {
  if (!link_.PortOpen()) {
    dialogs_.message("Disconnect.");
    return;
  }
  bool isNumber = false;
  const int id = a_.RzEdit2->text().toInt(&isNumber);
  if (!isNumber || id < kFirstDeviceId || id > kLastDeviceId) {
    a_.RzEdit2->setText(QString::number(address_.DeviceId));
    dialogs_.message("Please input 1~255 number.");
    return;
  }
  flags_.IdAckAwaited = 1;
  address_.DeviceId = id;
  systemRecordWrite();
}

void DeviceIdentity::systemRecordWrite() {
  if (!link_.PortOpen()) return;
  link_.ReceiveText.clear();
  SystemRecord record = image_.system;  // everything else as last read
  record.deviceId = static_cast<std::uint8_t>(address_.DeviceId);
  pump_.queueParameterWrite(kSystemRecordSlot,
                            parameterWrite(address_.BusAddress, kSystemRowAddress.group,
                                           kSystemRowAddress.item, SystemRow(record)));
  if (address_.isBroadcast()) return;  // every device took it; there is no one address to follow
  address_.BusAddress = BusAddressing::busAddressOf(address_.DeviceId);
  a_.RzComboBox6->setCurrentIndex(address_.DeviceId - 1);
}

void DeviceIdentity::Timer2Timer() {
  timers_.Timer2.stop();
  dialogs_.message("DeviceID change to " + std::to_string(address_.DeviceId));
}

}  // namespace lyra
