#include "editing/TypedEntry.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace lyra {

// The one Qt subclass of the editing pages: an event filter is how Qt lets one object see the
// focus, key and mouse events of many widgets.
class TypedEntry::EventFilter final : public QObject {
 public:
  explicit EventFilter(TypedEntry& entry) : entry_(entry) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit || !edit->isEnabled()) return false;
    switch (event->type()) {
      case QEvent::FocusIn: {
        // A context menu taking the focus for a moment, or the window coming back to the front
        // with the cursor still here, is not a new entry into the edit.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
          entry_.focusEntered(edit);
        }
        return false;
      }
      case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
          entry_.focusLost(edit);
        }
        return false;
      }
      case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        return entry_.keyPressed(edit, key->key(), key->modifiers(), key->text());
      }
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
        if (event->type() == QEvent::MouseButtonPress && !edit->hasFocus()) {
          edit->setFocus(Qt::MouseFocusReason);
        }
        entry_.selectAllOnClick(edit);
        return true;  // the whole text stays selected instead of a cursor placed by the click
      default:
        return false;
    }
  }

 private:
  TypedEntry& entry_;
};

TypedEntry::TypedEntry(EditingState& state)
    : state_(state), filter_(std::make_unique<EventFilter>(*this)) {}

TypedEntry::~TypedEntry() {
  for (const Entry& e : entries_) {
    if (e.edit) e.edit->removeEventFilter(filter_.get());
  }
}

void TypedEntry::add(QLineEdit* edit, Field field) {
  entries_.push_back({edit, std::move(field)});
  edit->installEventFilter(filter_.get());
}

const TypedEntry::Entry* TypedEntry::find(const QObject* edit) const {
  for (const Entry& e : entries_) {
    if (e.edit == edit) return &e;
  }
  return nullptr;
}

std::optional<TypedNumber> TypedEntry::number(const QLineEdit* edit) {
  return ParseTypedNumber(edit->text().toStdString());
}

void TypedEntry::showValue(QLineEdit* edit, const QString& text) {
  edit->setText(text);
  if (edit == baselineOwner_) state_.BaselineText = text.toStdString();
}

void TypedEntry::focusEntered(QLineEdit* edit) {
  if (!state_.baselineRearmed) return;
  state_.BaselineText = edit->text().toStdString();
  state_.baselineRearmed = false;
  baselineOwner_ = edit;
}

void TypedEntry::focusLost(QLineEdit* edit) {
  state_.baselineRearmed = true;
  run(edit);
  if (edit == baselineOwner_) baselineOwner_ = nullptr;
}

void TypedEntry::run(QLineEdit* edit) {
  const Entry* e = find(edit);
  if (!e || !e->field.accept) return;
  if (edit->text().toStdString() == state_.BaselineText) return;
  e->field.accept(edit);
}

bool TypedEntry::keyPressed(QLineEdit* edit, int key, Qt::KeyboardModifiers modifiers,
                            const QString& text) {
  const Entry* e = find(edit);
  if (!e) return false;
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  // Ctrl+V, Ctrl+A and the like are commands, whatever text the keyboard attaches to them.
  const bool shortcut = modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  const bool types = !shortcut && !text.isEmpty() && text.at(0).isPrint();
  if ((types || enter || key == Qt::Key_Backspace) && e->field.selectAllWhenUnparsable &&
      !IsNumberSoFar(edit->text().toStdString())) {
    edit->selectAll();
  }
  if (enter) {
    const bool enterRearms = e->field.enterRearms;
    if (enterRearms) state_.baselineRearmed = true;
    run(edit);
    if (!enterRearms) state_.BaselineText = edit->text().toStdString();
    return true;
  }
  if (!types) return false;  // Backspace, arrows, Delete, Tab, shortcuts
  const std::optional<char> c =
      text.size() == 1 ? FilterTypedCharacter(text.at(0).toLatin1(), e->field.allowMinus)
                       : std::nullopt;
  if (!c) return true;
  if (*c != text.at(0).toLatin1()) {
    edit->insert(QString(QChar(*c)));  // "," goes in as "."
    return true;
  }
  return false;
}

void TypedEntry::selectAllOnClick(QLineEdit* edit) {
  if (find(edit)) edit->selectAll();
}

}  // namespace lyra
