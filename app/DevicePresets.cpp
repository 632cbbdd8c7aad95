#include "app/DevicePresets.h"

#include <QKeyEvent>
#include <algorithm>

#include "app/EntryFields.h"
#include "protocol/CommandFrame.h"

namespace lyra {

namespace {

constexpr const char* kSlotLabels[] = {
    "Pre0:", "Pre1:", "Pre2:", "Pre3:", "Pre4:", "Pre5:", "Usr6:", "Usr7:"};
constexpr int kShownNames = 8;
constexpr int kFirstUserSlot = 7;  // Usr6 on the wire; Usr7 is 8
constexpr int kProgressTicks = 10;

// Leading and trailing spaces and control characters go, as a name cannot start or end with them
// on the device's display.
QString trimmedName(const QString& text) {
  qsizetype first = 0;
  qsizetype last = text.size();
  while (first < last && text[first].unicode() <= 0x20) ++first;
  while (last > first && text[last - 1].unicode() <= 0x20) --last;
  return text.mid(first, last - first);
}

bool isNameCharacter(QChar c) {
  return c.unicode() >= 0x20 && c.unicode() <= 0x7E;
}

}  // namespace

DevicePresets::DevicePresets(PresetExchange& exchange)
    : x_(exchange), saveAckTimeout_(exchange.scheduler, "saveAckTimeout", kSaveAckTimeoutMs) {
  WindowAreas& a = x_.areas;
  QObject::connect(a.RzButton9, &QPushButton::clicked, this, &DevicePresets::RzButton9Click);
  QObject::connect(a.RzButton10, &QPushButton::clicked, this, &DevicePresets::RzButton10Click);
  QObject::connect(a.RzComboBox11, &QComboBox::currentIndexChanged, this,
                   &DevicePresets::RzComboBox11Change);
  a.RzEdit1->installEventFilter(this);
  x_.timers.Timer3.onTick = [this] { Timer3Timer(); };
  x_.timers.Timer22.onTick = [this] { Timer22Timer(); };
  x_.timers.Timer11.onTick = [this] { Timer11Timer(); };
  saveAckTimeout_.onTick = [this] { saveAckTimeoutTimer(); };
}

void DevicePresets::RzButton9Click() {
  if (!x_.portOpen()) return;
  if (!x_.confirmed("Loading a Preset will replace the active\r\nPreset.Do you want to proceed?"))
    return;
  x_.flags.LoadSlotAwaited = 1;
  x_.timers.Timer1.stop();
  x_.timers.sendTimer.stop();
  x_.timers.intimer.stop();
  x_.scheduler.waitPumping(50);
  const int slot = x_.areas.RzComboBox10->currentIndex() + 1;
  x_.link.ReceiveText.clear();
  x_.link.TransmitBuffer.clear();
  x_.sendRequest(loadStoredPreset(x_.address.BusAddress, slot));
  x_.timers.Timer22.start();
  loadProgressCount_ = 0;
  x_.timers.Timer3.start();
  x_.showWaitBox(0);
  x_.connection.setEditingEnabled(false);
}

void DevicePresets::Timer3Timer() {
  ++loadProgressCount_;
  x_.setProgress(kProgressTicks * loadProgressCount_);
  if (loadProgressCount_ >= kProgressTicks) x_.timers.Timer3.stop();
}

void DevicePresets::Timer22Timer() {
  // The slot's block did not come: the image keeps what it held.
  x_.flags.LoadSlotAwaited = 0;
  x_.timers.Timer22.stop();
  x_.hideWaitBox();
  x_.connection.setEditingEnabled(true);
  // A link that ended during the wait (the port left the system, say) has no poll to resume,
  // and a search may hold the port by now.
  if (x_.connection.connected()) {
    x_.timers.Timer1.start();
    x_.timers.sendTimer.start();
  }
  x_.dialogs.message(kOvertimeText);
}

void DevicePresets::RzButton10Click() {
  if (!x_.portOpen()) return;
  QLineEdit* field = x_.areas.RzEdit1;
  const QString name = trimmedName(field->text());
  field->setText(name);
  x_.timers.Timer1.stop();
  x_.timers.sendTimer.stop();
  x_.timers.intimer.stop();
  x_.flags.SaveAckAwaited = 1;
  const int position = std::max(0, x_.areas.RzComboBox11->currentIndex());
  const int slot = kFirstUserSlot + position;
  // A character outside Latin-1 (pasted in) goes out as "?", as the device shows no other.
  const QByteArray bytes = name.toLatin1().left(NameTable::kLength - 1);
  const std::string text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  x_.link.ReceiveText.clear();
  x_.link.TransmitBuffer.clear();
  x_.sendRequest(saveUserPresetName(x_.address.BusAddress, slot, text));
  saveAckTimeout_.stop();
  saveAckTimeout_.start();

  // The lists show the new name at once; the device's NameTable is read again on the next
  // connect.
  QComboBox* load = x_.areas.RzComboBox10;
  const int listIndex = slot - 1;
  if (listIndex < load->count()) {
    load->setItemText(listIndex, QString(kSlotLabels[listIndex]) + QString::fromLatin1(bytes));
  }
  auto& stored = x_.image.names.names[static_cast<std::size_t>(listIndex)];
  stored.fill(0);
  std::copy(text.begin(), text.end(), stored.begin());

  x_.scheduler.waitPumping(100);
  x_.timers.Timer1.start();
  x_.timers.sendTimer.start();
}

void DevicePresets::Timer11Timer() {
  x_.timers.Timer11.stop();
  saveAckTimeout_.stop();
  x_.pump.queueSystemRecordRead();
  x_.dialogs.message("Successfully save.");
}

void DevicePresets::saveAckTimeoutTimer() {
  saveAckTimeout_.stop();
  if (x_.flags.SaveAckAwaited != 1) return;
  // The device acknowledges parameter writes with the same reply as a name save: a save left
  // waiting would take the next edit's acknowledgement for its own and report a save that never
  // happened. The user hears now that it did not answer instead.
  x_.flags.SaveAckAwaited = 0;
  if (x_.portOpen()) x_.dialogs.message(kOvertimeText);
}

void DevicePresets::RzComboBox11Change() {
  const int position = x_.areas.RzComboBox11->currentIndex();
  if (position < 0) return;
  x_.areas.RzEdit1->setText(
      QString::fromLatin1(x_.image.names.shown(kFirstUserSlot - 1 + position).c_str()));
}

void DevicePresets::showNames() {
  const NameTable& names = x_.image.names;
  x_.areas.RzEdit1->setText(QString::fromLatin1(names.shown(0).c_str()));
  QComboBox* load = x_.areas.RzComboBox10;
  load->clear();
  for (int k = 0; k < kShownNames; ++k)
    load->addItem(QString(kSlotLabels[k]) + QString::fromLatin1(names.shown(k).c_str()));
  load->setCurrentIndex(0);
  // Selecting an entry that is already selected emits nothing: the change runs in any case, so
  // the name field ends showing Usr6's name.
  QComboBox* save = x_.areas.RzComboBox11;
  save->blockSignals(true);
  save->setCurrentIndex(0);
  save->blockSignals(false);
  RzComboBox11Change();
}

bool DevicePresets::eventFilter(QObject* watched, QEvent* event) {
  QLineEdit* field = x_.areas.RzEdit1;
  if (watched != field) return false;
  switch (event->type()) {
    case QEvent::KeyPress: {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        RzButton10Click();
        return true;
      }
      if (key->key() == Qt::Key_Backspace || passesEveryKeyFilter(*key)) return false;
      // Keys that type nothing (arrows, Home, Delete) move the caret as usual; a typed character
      // outside space to "~" is dropped, since the device cannot show it.
      const QString typed = key->text();
      return std::any_of(typed.begin(), typed.end(), [](QChar c) { return !isNameCharacter(c); });
    }
    case QEvent::MouseButtonRelease:
      // The first click after entering the field selects the whole name; later clicks place the
      // caret.
      if (selectAllOnClick_) {
        field->selectAll();
        selectAllOnClick_ = false;
      }
      return false;
    case QEvent::FocusOut:
      selectAllOnClick_ = true;
      return false;
    default:
      return false;
  }
}

}  // namespace lyra
