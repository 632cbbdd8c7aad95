#include "app/DeviceIdentity.h"

#include <QRegularExpressionValidator>

namespace lyra {

DeviceIdentity::DeviceIdentity(WindowAreas& areas, SerialLink& link, const BusAddressing& address,
                               DeviceIdSession& session, Dialogs& dialogs)
    : a_(areas), link_(link), address_(address), session_(session), dialogs_(dialogs) {
  // Only digits can be typed (or pasted); Backspace and the editing keys work as usual, and
  // Enter presses "OK".
  a_.RzEdit2->setValidator(
      new QRegularExpressionValidator(QRegularExpression("[0-9]*"), a_.RzEdit2));
  QObject::connect(a_.RzEdit2, &QLineEdit::returnPressed, [this] { Button1Click(); });
  QObject::connect(a_.Button1, &QPushButton::clicked, [this] { Button1Click(); });
  session_.onFollowed = [this](int id) { a_.RzComboBox6->setCurrentIndex(id - 1); };
}

void DeviceIdentity::Button1Click() {
  if (!link_.PortOpen()) {
    dialogs_.message("Disconnect.");
    return;
  }
  bool isNumber = false;
  const int id = a_.RzEdit2->text().toInt(&isNumber);
  if (!isNumber || id < DeviceIdSession::kFirstDeviceId || id > DeviceIdSession::kLastDeviceId) {
    a_.RzEdit2->setText(QString::number(address_.DeviceId));
    dialogs_.message("Please input 1~255 number.");
    return;
  }
  // A device already answering at the new DeviceId refuses it: the field shows the current one.
  if (session_.change(id) == DeviceIdSession::Change::InUse)
    a_.RzEdit2->setText(QString::number(address_.DeviceId));
}

}  // namespace lyra
