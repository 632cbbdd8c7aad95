#include "editing/Controls.h"

namespace lyra::ui {

namespace {

QFont arial(int pointSize = 0) {
  QFont f("Arial");
  if (pointSize > 0) f.setPointSize(pointSize);
  return f;
}

template <typename W>
W* place(W* w, const char* name, QRect geometry) {
  w->setObjectName(name);
  w->setGeometry(geometry);
  return w;
}

}  // namespace

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
  return b;
}

QComboBox* dropDown(QWidget* parent, const char* name, const QStringList& items, QRect geometry) {
  auto* c = place(new QComboBox(parent), name, geometry);
  c->setFont(arial(8));
  c->setEditable(false);
  c->addItems(items);
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
  }
  return s;
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

void setButtonColour(QPushButton* button, const QColor& colour) {
  button->setStyleSheet(QString("background-color: %1;").arg(colour.name()));
  button->setProperty("lyraColour", colour);
}

QColor buttonColour(const QPushButton* button) {
  const QVariant v = button->property("lyraColour");
  return v.isValid() ? v.value<QColor>() : kNormalGrey;
}

}  // namespace lyra::ui
