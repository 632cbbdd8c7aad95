#include "app/Connection.h"

#include <QPainter>
#include <QPixmap>

#include "protocol/CommandFrame.h"
#include "serial/DemoPort.h"

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

Connection::Connection(WindowAreas& areas, TimerTable& timers, SerialLink& link,
                       PortList& portList, ConnectSession& session)
    : a_(areas),
      timers_(timers),
      link_(link),
      portList_(portList),
      session_(session) {
  QObject::connect(a_.Button3, &QPushButton::clicked, [this] { Button3Click(); });
  timers_.Timer6.onTick = [this] {
    timers_.Timer6.stop();
    a_.Button3->setEnabled(true);
  };
  timers_.Timer13.onTick = [this] { Timer13Timer(); };
  session_.onFailed = [this] { disconnectOnFailure(); };
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

void Connection::connect() {
  const PortEntry* entry = portList_.selectedEntry();
  if (onConnectReset) onConnectReset();
  a_.RzGroupBox1->hide();
  setEditingEnabled(true);
  const auto started = session_.start(entry, portList_.selectedPortNumber(), [this] {
    a_.RzComboBox1->setEnabled(false);
    a_.RzComboBox6->setEnabled(false);
  });
  switch (started) {
    case ConnectSession::Started::NoPort:
    case ConnectSession::Started::Lost:
      return;
    case ConnectSession::Started::BroadcastCancelled:
      setCaption(kDisconnect);
      Button3Click();  // closes the port at once
      return;
    case ConnectSession::Started::Broadcast:
      setEditingEnabled(false);
      a_.presetBox->setEnabled(false);
      a_.initialDataBox->move(208, 448);
      a_.initialDataBox->show();
      a_.initialDataBox->setEnabled(true);
      a_.RzGroupBox12->hide();
      break;
    case ConnectSession::Started::Handshake:
      break;
  }
  if (link_.PortNumber != 0) {
    const bool simulated = isDemoPort(*entry);
    a_.statusPanel1->setText(
        QString::fromStdString(" Connected " + entry->name + (simulated ? kDemoStatusSuffix : "")));
    showSimulated(simulated);
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
  session_.end();
  a_.statusPanel1->setText(" Disconnected");
  showSimulated(false);
  setCaption(kConnect);
}

void Connection::showSimulated(bool simulated) {
  a_.GroupBox2->window()->setWindowTitle(simulated ? kDemoTitle : kTitle);
}

void Connection::disconnectOnFailure() {
  // The window is already disconnected while the failure's message is up. A connect still in
  // progress (its BroadcastMode question is up) has its port closed too.
  if (connected()) {
    Button3Click();
  } else if (session_.linked()) {
    disconnect();
  }
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
