#include "app/GroupInitialData.h"

#include <QKeyEvent>
#include <algorithm>

#include "app/EntryFields.h"

namespace lyra {

namespace {
constexpr int kHighestDeviceId = 255;
}  // namespace

GroupInitialData::GroupInitialData(WindowAreas& areas, GroupDataSession& session,
                                   Connection& connection, Dialogs& dialogs)
    : a_(areas), session_(session), dialogs_(dialogs) {
  QObject::connect(a_.Button11, &QPushButton::clicked, this, &GroupInitialData::Button11Click);
  QObject::connect(a_.Button10, &QPushButton::clicked, this, &GroupInitialData::Button10Click);
  QObject::connect(a_.initialDataClose, &QToolButton::clicked, this,
                   [&connection] { connection.disconnectNow(); });
  a_.RzEdit3->installEventFilter(this);
}

void GroupInitialData::Button10Click() {
  QLineEdit* field = a_.RzEdit3;
  bool isNumber = false;
  const int id = field->text().toInt(&isNumber);
  if (!isNumber || id < 1 || id > kHighestDeviceId) {
    field->setText(QString::number(acceptedSourceId_));
    dialogs_.message("Please input 1~255 number.");
    return;
  }
  acceptedSourceId_ = id;
  session_.fromDevice(id);
}

bool GroupInitialData::eventFilter(QObject* watched, QEvent* event) {
  if (watched != a_.RzEdit3 || event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
    Button10Click();
    return true;
  }
  if (key->key() == Qt::Key_Backspace || passesEveryKeyFilter(*key)) return false;
  const QString typed = key->text();
  return std::any_of(typed.begin(), typed.end(),
                     [](QChar c) { return c.unicode() < '0' || c.unicode() > '9'; });
}

}  // namespace lyra
