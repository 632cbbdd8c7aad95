#include "app/EntryFields.h"

#include <QMouseEvent>

namespace lyra {

bool passesEveryKeyFilter(const QKeyEvent& key) {
  if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) return true;
  return (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
}

bool showsInPresetName(QChar c) { return c.unicode() >= 0x20 && c.unicode() <= 0x7E; }

void keepNameCharacters(QLineEdit* field) {
  QObject::connect(field, &QLineEdit::textEdited, field, [field](const QString& text) {
    QString kept;
    int cursor = field->cursorPosition();
    const int before = cursor;
    for (qsizetype i = 0; i < text.size(); ++i) {
      if (showsInPresetName(text[i])) {
        kept += text[i];
      } else if (i < before) {
        --cursor;
      }
    }
    if (kept.size() == text.size()) return;
    field->setText(kept);
    field->setCursorPosition(cursor);
  });
}

namespace {

class SelectAllOnClick final : public QObject {
 public:
  explicit SelectAllOnClick(QLineEdit* field) : QObject(field), field_(field) {}

  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
        if (!field_->isEnabled() || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
          return false;
        if (event->type() == QEvent::MouseButtonPress && !field_->hasFocus())
          field_->setFocus(Qt::MouseFocusReason);
        field_->selectAll();
        return true;  // no caret placed by the click
      default:
        return false;
    }
  }

 private:
  QLineEdit* field_;
};

}  // namespace

void selectAllOnEveryClick(QLineEdit* field) {
  field->installEventFilter(new SelectAllOnClick(field));
}

}  // namespace lyra
