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
#include <QFont>
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

// The window is laid out in pixels, so its text has a size of its own rather than the desktop's:
// Arial (Liberation Sans where Arial is not installed) at 9 points unless a control is given
// another size.
inline constexpr int kFontPoints = 9;
QFont arial(int pointSize = kFontPoints, bool bold = false);

QGroupBox* group(QWidget* parent, const char* name, const QString& title, QRect geometry);
QLabel* label(QWidget* parent, const char* name, const QString& text, QRect geometry);
// Edits: Arial, no automatic sizing, text centred.
QLineEdit* edit(QWidget* parent, const char* name, const QString& text, QRect geometry);
QPushButton* button(QWidget* parent, const char* name, const QString& caption, QRect geometry);
// For a button whose caption changes: its font is made smaller in half-point steps (not below
// 6 points) until the widest of the captions fits the button's inside as its style draws it.
// Systems draw the same font at other widths (Arial, Liberation Sans, the Windows theme's
// margins), so a fixed size cut "Disconnect" on some of them.
void fitCaptions(QPushButton* button, const QStringList& captions);
// The pixels the style leaves for a caption inside the button, and what caption needs there.
int captionRoom(const QPushButton* button);
int captionNeeds(const QPushButton* button, const QString& caption);
// Drop-down lists: only their items can be chosen. Arial 8 pt.
QComboBox* dropDown(QWidget* parent, const char* name, const QStringList& items, QRect geometry);
QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption, QRect geometry);
// Two small arrow buttons side by side in light blue; names end in Down and Up. They take no
// keyboard focus.
SpinButtons spinButtons(QWidget* parent, const char* name, QRect geometry);
// Up and Down in edit click spin's up/right and down/left button: the same handler, limits and
// frame as a click on the arrow.
void stepWithArrowKeys(QLineEdit* edit, SpinButtons spin);
QSlider* slider(QWidget* parent, const char* name, Qt::Orientation orientation, int max,
                int position, QRect geometry);
QScrollBar* scrollBar(QWidget* parent, const char* name, int max, QRect geometry);

// What a screen reader says for a control: its name, unique in the window, and a description
// where the name alone does not tell how to use it.
void describe(QWidget* control, const QString& name, const QString& description = {});
// The same for a spin pair: "<name> down" and "<name> up".
void describe(SpinButtons spin, const QString& name);

// Button colours carry state: grey normal, red muted or on, yellow inverted, green broadcast.
// Every button starts grey (224, 224, 224), the colour the others are set against.
void setButtonColour(QPushButton* button, const QColor& colour);
// For a button whose colour tells a state: its accessible description reads offText while it is
// grey and onText while it has another colour.
void describeStates(QPushButton* button, const QString& offText, const QString& onText);
QColor buttonColour(const QPushButton* button);

}  // namespace ui
}  // namespace lyra
