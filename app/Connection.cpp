#include "app/Connection.h"

#include <QPainter>
#include <QPixmap>

#include "protocol/CommandFrame.h"

namespace lyra {

namespace {

// The indicators beside the port list: a lit green lamp for a link, a dark grey one without.
QPixmap lamp(bool lit) {
  QPixmap p(22, 22);
  p.fill(Qt::transparent);
  QPainter painter(&p);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(64, 64, 64), 1.5));
  painter.setBrush(lit ? QColor(0, 200, 0) : QColor(150, 150, 150));
  painter.drawEllipse(QRectF(2.5, 2.5, 17, 17));
  if (lit) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(220, 255, 220));
    painter.drawEllipse(QRectF(6, 6, 5, 5));
  }
  return p;
}

}  // namespace

Connection::Connection(WindowAreas& areas, Scheduler& scheduler, TimerTable& timers,
                       SerialLink& link, PortList& portList, SendPump& pump,
                       const BusAddressing& address, WaitingFlags& flags, Dialogs& dialogs)
    : a_(areas),
      scheduler_(scheduler),
      timers_(timers),
      link_(link),
      portList_(portList),
      pump_(pump),
      address_(address),
      flags_(flags),
      dialogs_(dialogs) {
  QObject::connect(a_.Button3, &QPushButton::clicked, [this] { Button3Click(); });
  timers_.Timer6.onTick = [this] {
    timers_.Timer6.stop();
    a_.Button3->setEnabled(true);
  };
  timers_.Timer1.onTick = [this] { Timer1Timer(); };
  timers_.intimer.onTick = [this] { intimerTimer(); };
  timers_.brocar1.onTick = [this] { brocar1Timer(); };
  timers_.Timer13.onTick = [this] { Timer13Timer(); };
  timers_.chcon.onTick = [this] {
    timers_.chcon.stop();
    timers_.chcon112.stop();
    timers_.chcon188.stop();
    disconnectWith("UNABLE TO CONNECT TO DEVICE!\rPlease make sure the device ID is correct.");
  };
  timers_.chcon112.onTick = [this] {
    timers_.chcon112.stop();
    timers_.chcon188.stop();
    disconnectWith("overtime,please try again.");
  };
  timers_.chcon188.onTick = [this] {
    timers_.chcon188.stop();
    disconnectWith("overtime,please try again.");
  };
  setCaption(kConnect);
  Timer13Timer();
}

bool Connection::connected() const { return a_.Button3->text() != kConnect; }

void Connection::setCaption(const char* caption) {
  a_.Button3->setText(caption);
  // Panel 1 is red while the button reads "Connect" and green otherwise.
  const QColor colour = connected() ? QColor(0, 128, 0) : QColor(255, 0, 0);
  QPalette p = a_.statusPanel1->palette();
  p.setColor(QPalette::WindowText, colour);
  a_.statusPanel1->setPalette(p);
}

void Connection::setEditingEnabled(bool enabled) {
  for (QWidget* w : {static_cast<QWidget*>(a_.GroupBox2), static_cast<QWidget*>(a_.GroupBox3),
                     static_cast<QWidget*>(a_.RzGroupBox8), static_cast<QWidget*>(a_.RzGroupBox12),
                     static_cast<QWidget*>(a_.presetBox)}) {
    w->setEnabled(enabled);
  }
  a_.fileMenu->setEnabled(enabled);
  a_.helpMenu->setEnabled(enabled);
}

void Connection::Button3Click() {
  // A second click within 2 s cannot start a nested connect or disconnect.
  timers_.Timer6.start();
  a_.Button3->setEnabled(false);
  if (!connected()) {
    connect();
  } else {
    disconnect();
  }
}

void Connection::disconnectNow() {
  setCaption(kDisconnect);
  Button3Click();
}

std::string Connection::openFailureDetail() const {
  switch (link_.lastError()) {
    case SerialError::PermissionDenied:
      return "Permission denied. On Linux the user must be in the dialout group "
             "(sudo usermod -aG dialout $USER) and log in again.";
    case SerialError::Busy:
      return "The port is in use by another program.";
    case SerialError::NotFound:
    case SerialError::Vanished:
      return "The port does not exist.";
    default:
      return link_.lastErrorText();
  }
}

void Connection::connect() {
  const PortEntry* entry = portList_.selectedEntry();
  if (entry) link_.PortNumber = portList_.selectedPortNumber();
  flags_.LoadSlotAwaited = 0;
  flags_.Searching = 0;
  if (onConnectReset) onConnectReset();
  a_.RzGroupBox1->hide();
  setEditingEnabled(true);
  if (link_.PortOpen()) {
    link_.closePort();
    scheduler_.waitPumping(100);
  }
  pump_.clearAllSlots();

  if (!entry || !link_.openPort(entry->devicePath)) {
    link_.PortNumber = 0;
    dialogs_.message("No port.", entry ? openFailureDetail() : "There is no serial port.");
    return;
  }
  link_.startReader();
  const std::string portName = entry->name;

  if (address_.isBroadcast()) {
    a_.RzComboBox1->setEnabled(false);
    a_.RzComboBox6->setEnabled(false);
    const auto answer = dialogs_.question(
        "Please make sure you have select\r\nthe same preset on all devices",
        Dialogs::Buttons::YesCancel);
    if (answer != Dialogs::Answer::Yes) {
      setCaption(kDisconnect);
      Button3Click();  // closes the port at once
      return;
    }
    setEditingEnabled(false);
    a_.presetBox->setEnabled(false);
    a_.initialDataBox->move(208, 448);
    a_.initialDataBox->show();
    a_.initialDataBox->setEnabled(true);
    a_.RzGroupBox12->hide();
  } else {
    link_.ReceiveText.clear();
    link_.TransmitBuffer.clear();
    pump_.sendNow(readActivePreset(address_.BusAddress), SendPump::ReceiveText::Clear);
    timers_.chcon.start();
    timers_.chcon112.start();
    timers_.chcon188.start();
  }
  if (link_.PortNumber != 0) {
    a_.statusPanel1->setText(QString::fromStdString(" Connected " + portName));
    setCaption(kDisconnect);
  }
}

void Connection::disconnect() {
  a_.initialDataBox->hide();
  a_.RzGroupBox12->show();
  a_.RzGroupBox1->hide();
  setEditingEnabled(true);
  a_.RzComboBox6->setEnabled(true);
  a_.RzComboBox1->setEnabled(true);
  timers_.Timer1.stop();
  timers_.intimer.stop();
  pump_.stop();
  link_.TransmitBuffer.clear();
  link_.PortNumber = -1;
  scheduler_.waitPumping(50);
  link_.closePort();
  // A reply that came in during the wait may have restarted the poll or the pump (a preset block
  // for a file does); with the port closed, neither may run.
  timers_.Timer1.stop();
  timers_.intimer.stop();
  pump_.stop();
  a_.statusPanel1->setText(" Disconnected");
  setCaption(kConnect);
}

void Connection::disconnectWith(const std::string& message, const std::string& detail) {
  // The window is already disconnected while the message is up.
  if (connected()) Button3Click();
  dialogs_.message(message, detail);
}

void Connection::Timer1Timer() {
  if (!link_.PortOpen()) return;
  link_.TransmitBuffer.clear();
  pump_.sendNow(statusPoll(address_.BusAddress), SendPump::ReceiveText::Clear);
  // Started by every poll, but a running watchdog keeps counting from the first poll that got
  // no answer.
  timers_.intimer.start();
}

void Connection::intimerTimer() {
  timers_.intimer.stop();
  if (address_.isBroadcast()) return;  // nothing answers in BroadcastMode
  disconnectWith("CONNECTION INTERRUPTED!\rPlease check data cables and reconnect.");
}

void Connection::brocar1Timer() {
  if (!link_.PortOpen()) return;
  const PortEntry* chosen = portList_.selectedEntry();
  const auto ports = portList_.readSystemPorts();
  bool present = false;
  if (chosen && ports) {
    for (const PortEntry& p : *ports) present = present || p.name == chosen->name;
  }
  // A list that cannot be read counts as no ports at all.
  if (!present) disconnectWith("No port.", "The port has left the system.");
}

void Connection::Timer13Timer() {
  // Drawn every second, but only repainted when the state changed.
  const bool lit = link_.PortOpen();
  if (a_.connectionPicture->property("lit").isValid() &&
      a_.connectionPicture->property("lit").toBool() == lit) {
    return;
  }
  a_.connectionPicture->setProperty("lit", lit);
  a_.connectionPicture->setPixmap(lamp(lit));
  describeConnectionLight(a_.connectionPicture, lit);
}

}  // namespace lyra
