#pragma once
// Small rules shared by the window's text fields outside the editing pages: the preset-name
// field, the set-ID field and the initial-data ID field.

#include <QKeyEvent>
#include <QLineEdit>

namespace lyra {

// Keys that a field's key filter must let through whatever it types: Tab and Shift+Tab move the
// focus on, and Ctrl, Alt and Meta combinations are commands (copy, paste, select all, menus).
bool passesEveryKeyFilter(const QKeyEvent& key);

// The characters the device shows in a preset name: space to "~".
bool showsInPresetName(QChar c);
// Text that reaches the name field other than by typing (pasted, dropped) keeps only name
// characters; the cursor stays where it was among them.
void keepNameCharacters(QLineEdit* field);

// Every click into the field selects its whole text, so that typing replaces it.
void selectAllOnEveryClick(QLineEdit* field);

}  // namespace lyra
