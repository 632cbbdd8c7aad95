#pragma once
// Small factories for the window's controls. Every control gets its designed name as its Qt
// object name (RzEdit94, TrackBar1, ...), so tests and screenshots find it by that name, and the
// fonts and colours the window gives each kind of control.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QToolButton>
#include <QColor>
#include <initializer_list>

namespace lyra {

// A pair of spin buttons: down/left lowers a value by one step, up/right raises it.
struct SpinButtons {
  QToolButton* downLeft = nullptr;
  QToolButton* upRight = nullptr;
};

namespace ui {

inline const QColor kNormalGrey{224, 224, 224};
inline const QColor kMutedRed{255, 0, 0};
inline const QColor kInvertedYellow{255, 255, 0};
inline const QColor kBroadcastGreen{0, 128, 0};
inline const QColor kSpinBlue{200, 225, 251};

QGroupBox* group(QWidget* parent, const char* name, const QString& title, QRect geometry);
QLabel* label(QWidget* parent, const char* name, const QString& text, QRect geometry);
// Edits: Arial, no automatic sizing, text centred.
QLineEdit* edit(QWidget* parent, const char* name, const QString& text, QRect geometry);
QPushButton* button(QWidget* parent, const char* name, const QString& caption, QRect geometry);
// Drop-down lists: only their items can be chosen. Arial 8 pt.
QComboBox* dropDown(QWidget* parent, const char* name, const QStringList& items, QRect geometry);
QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption, QRect geometry);
// Two small arrow buttons side by side in light blue; names end in Down and Up.
SpinButtons spinButtons(QWidget* parent, const char* name, QRect geometry);
QSlider* slider(QWidget* parent, const char* name, Qt::Orientation orientation, int max,
                int position, QRect geometry);
QScrollBar* scrollBar(QWidget* parent, const char* name, int max, QRect geometry);

// Button colours carry state: grey normal, red muted or on, yellow inverted, green broadcast.
void setButtonColour(QPushButton* button, const QColor& colour);
QColor buttonColour(const QPushButton* button);

}  // namespace ui
}  // namespace lyra
