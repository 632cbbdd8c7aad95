#include "editing/Controls.h"

#include <QKeyEvent>
#include <algorithm>
#include <QStyle>
#include <QStyleOptionButton>

#include "editing/AccessibleList.h"

namespace lyra::ui {

namespace {

template <typename W>
W* place(W* w, const char* name, QRect geometry) {
  w->setObjectName(name);
  w->setGeometry(geometry);
  return w;
}

}  // namespace

QFont arial(int pointSize, bool bold) {
  QFont f("Arial", pointSize);
  f.setBold(bold);
  return f;
}

QGroupBox* group(QWidget* parent, const char* name, const QString& title, QRect geometry) {
  auto* g = place(new QGroupBox(title, parent), name, geometry);
  g->setFont(arial());
  return g;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* l = place(new QLabel(text, parent), name, geometry);
  l->setFont(arial());
  return l;
}

QLineEdit* edit(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* e = place(new QLineEdit(text, parent), name, geometry);
  e->setFont(arial());
  e->setAlignment(Qt::AlignCenter);
  return e;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
  auto* b = place(new QPushButton(caption, parent), name, geometry);
  b->setFont(arial());
  setButtonColour(b, kNormalGrey);
  return b;
}

int captionRoom(const QPushButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
}

int captionNeeds(const QPushButton* button, const QString& caption) {
  return button->fontMetrics().size(Qt::TextShowMnemonic, caption).width();
}

void fitCaptions(QPushButton* button, const QStringList& captions) {
  const auto widest = [&] {
    int needed = 0;
    for (const QString& caption : captions) needed = std::max(needed, captionNeeds(button, caption));
    return needed;
  };
  QFont font = button->font();
  while (widest() > captionRoom(button) && font.pointSizeF() > 6.0) {
    font.setPointSizeF(font.pointSizeF() - 0.5);
    button->setFont(font);
  }
}

QComboBox* dropDown(QWidget* parent, const char* name, const QStringList& items, QRect geometry) {
  auto* c = place(new QComboBox(parent), name, geometry);
  c->setFont(arial(8));
  c->setEditable(false);
  c->addItems(items);
  nameListByItsAccessibleName(c);
  return c;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption, QRect geometry) {
  auto* c = place(new QCheckBox(caption, parent), name, geometry);
  c->setFont(arial());
  return c;
}

SpinButtons spinButtons(QWidget* parent, const char* name, QRect geometry) {
  SpinButtons s;
  const int half = geometry.width() / 2;
  s.downLeft = new QToolButton(parent);
  s.upRight = new QToolButton(parent);
  s.downLeft->setObjectName(QString(name) + "Down");
  s.upRight->setObjectName(QString(name) + "Up");
  s.downLeft->setArrowType(Qt::LeftArrow);
  s.upRight->setArrowType(Qt::RightArrow);
  s.downLeft->setGeometry(geometry.x(), geometry.y(), half, geometry.height());
  s.upRight->setGeometry(geometry.x() + half, geometry.y(), geometry.width() - half,
                         geometry.height());
  for (QToolButton* b : {s.downLeft, s.upRight}) {
    b->setAutoRaise(false);
    b->setStyleSheet(QString("background-color: %1;").arg(kSpinBlue.name()));
    // Not Tab stops: Up and Down in the edit beside them do what they do (stepWithArrowKeys).
    b->setFocusPolicy(Qt::NoFocus);
  }
  return s;
}

namespace {

// Up and Down in an edit click its spin pair. Held down, the keys repeat as the arrows do.
class ArrowKeySteps final : public QObject {
 public:
  ArrowKeySteps(QLineEdit* edit, SpinButtons spin) : QObject(edit), spin_(spin) {}

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    QToolButton* button = key->key() == Qt::Key_Up     ? spin_.upRight
                          : key->key() == Qt::Key_Down ? spin_.downLeft
                                                       : nullptr;
    if (!button) return false;
    if (button->isEnabled()) button->click();
    return true;
  }

 private:
  SpinButtons spin_;
};

}  // namespace

void stepWithArrowKeys(QLineEdit* edit, SpinButtons spin) {
  edit->installEventFilter(new ArrowKeySteps(edit, spin));
}

QSlider* slider(QWidget* parent, const char* name, Qt::Orientation orientation, int max,
                int position, QRect geometry) {
  auto* s = place(new QSlider(orientation, parent), name, geometry);
  s->setRange(0, max);
  s->setPageStep(1);
  s->setValue(position);
  return s;
}

QScrollBar* scrollBar(QWidget* parent, const char* name, int max, QRect geometry) {
  auto* s = place(new QScrollBar(Qt::Horizontal, parent), name, geometry);
  s->setRange(0, max);
  s->setPageStep(0);
  s->setSingleStep(1);
  return s;
}

void describe(QWidget* control, const QString& name, const QString& description) {
  control->setAccessibleName(name);
  if (!description.isEmpty()) control->setAccessibleDescription(description);
}

void describe(SpinButtons spin, const QString& name) {
  describe(spin.downLeft, name + " down");
  describe(spin.upRight, name + " up");
}

void setButtonColour(QPushButton* button, const QColor& colour) {
  // Flat in its colour, with a thin border; the focus shows as a blue border.
  button->setStyleSheet(
      QString("QPushButton { background-color: %1; border: 1px solid #a0a0a0; border-radius: 3px;"
              " padding: 1px 3px; }"
              "QPushButton:pressed { background-color: %2; }"
              "QPushButton:focus { border: 2px solid #2a6fdb; padding: 0px 2px; }")
          .arg(colour.name(), colour.darker(115).name()));
  button->setProperty("lyraColour", colour);
  // A screen reader cannot see the colour; a button whose colour tells a state says it in words.
  const QVariant words = button->property(colour == kNormalGrey ? "lyraOffText" : "lyraOnText");
  if (words.isValid()) button->setAccessibleDescription(words.toString());
}

void describeStates(QPushButton* button, const QString& offText, const QString& onText) {
  button->setProperty("lyraOffText", offText);
  button->setProperty("lyraOnText", onText);
  setButtonColour(button, buttonColour(button));
}

QColor buttonColour(const QPushButton* button) {
  const QVariant v = button->property("lyraColour");
  return v.isValid() ? v.value<QColor>() : kNormalGrey;
}

}  // namespace lyra::ui
