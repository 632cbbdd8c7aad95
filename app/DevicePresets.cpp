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
constexpr int kFirstUserSlot = PresetSlotSession::kFirstUserSlot;

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

DevicePresets::DevicePresets(WindowAreas& areas, PresetExchange& exchange,
                             PresetSlotSession& session)
    : a_(areas), x_(exchange), session_(session) {
  QObject::connect(a_.RzButton9, &QPushButton::clicked, this, &DevicePresets::RzButton9Click);
  QObject::connect(a_.RzButton10, &QPushButton::clicked, this, &DevicePresets::RzButton10Click);
  QObject::connect(a_.RzComboBox11, &QComboBox::currentIndexChanged, this,
                   &DevicePresets::RzComboBox11Change);
  a_.RzEdit1->installEventFilter(this);
}

void DevicePresets::RzButton9Click() { session_.load(a_.RzComboBox10->currentIndex() + 1); }

void DevicePresets::RzButton10Click() {
  if (!x_.portOpen()) return;
  QLineEdit* field = a_.RzEdit1;
  const QString name = trimmedName(field->text());
  field->setText(name);
  const int position = std::max(0, a_.RzComboBox11->currentIndex());
  const int slot = kFirstUserSlot + position;
  // A character outside Latin-1 (pasted in) goes out as "?", as the device shows no other.
  const QByteArray bytes = name.toLatin1().left(NameTable::kLength - 1);
  // The lists show the new name at once.
  QComboBox* load = a_.RzComboBox10;
  const int listIndex = slot - 1;
  if (listIndex < load->count()) {
    load->setItemText(listIndex, QString(kSlotLabels[listIndex]) + QString::fromLatin1(bytes));
  }
  session_.saveName(slot, std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void DevicePresets::RzComboBox11Change() {
  const int position = a_.RzComboBox11->currentIndex();
  if (position < 0) return;
  a_.RzEdit1->setText(
      QString::fromLatin1(x_.image.names.shown(kFirstUserSlot - 1 + position).c_str()));
}

void DevicePresets::showNames() {
  const NameTable& names = x_.image.names;
  a_.RzEdit1->setText(QString::fromLatin1(names.shown(0).c_str()));
  QComboBox* load = a_.RzComboBox10;
  load->clear();
  for (int k = 0; k < kShownNames; ++k)
    load->addItem(QString(kSlotLabels[k]) + QString::fromLatin1(names.shown(k).c_str()));
  load->setCurrentIndex(0);
  // Selecting an entry that is already selected emits nothing: the change runs in any case, so
  // the name field ends showing Usr6's name.
  QComboBox* save = a_.RzComboBox11;
  save->blockSignals(true);
  save->setCurrentIndex(0);
  save->blockSignals(false);
  RzComboBox11Change();
}

bool DevicePresets::eventFilter(QObject* watched, QEvent* event) {
  QLineEdit* field = a_.RzEdit1;
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
