#pragma once
// Typed entry, shared by every numeric edit of the editing pages (equaliser, filters, levels,
// delays).
//
// - A click or mouse-up in the edit selects its whole text, so typing replaces the old value.
// - Focus entry: while the re-arm flag is set, the edit's text becomes the BaselineText and the
//   flag is cleared.
// - Key filter: digits, "." and "," (typed as ".") pass, "-" only where negative values exist,
//   other characters are dropped. Keys that type nothing (arrows, Delete, Tab, Ctrl shortcuts)
//   keep their usual meaning.
// - Enter is consumed and accepts the text; so does focus loss, which also sets the re-arm flag.
//   What happens after Enter differs: the equaliser and filter edits make their new text the
//   BaselineText, the level and delay edits set the re-arm flag instead.
//
// Qt delivers focus, key and mouse events to the widget itself, so one event filter on the edits
// watches them all; everything else here is plain code.

#include <QLineEdit>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "editing/EditingState.h"
#include "edits/TypedNumber.h"

namespace lyra {

class TypedEntry {
 public:
  struct Field {
    bool allowMinus = false;
    // Levels and delays: Enter sets the re-arm flag; otherwise it makes the new text the baseline.
    bool enterRearms = false;
    // Levels and delays: a key typed while the text is not a number (it still carries its unit)
    // first selects the whole text, so the key replaces it. A number being typed ("-", "0.")
    // is kept, or "-3" could never be typed: the "3" would replace the "-".
    bool selectAllWhenUnparsable = false;
    // Runs on Enter and on focus loss, unless the text equals the BaselineText.
    std::function<void(QLineEdit*)> accept;
  };

  explicit TypedEntry(EditingState& state);
  ~TypedEntry();
  TypedEntry(const TypedEntry&) = delete;
  TypedEntry& operator=(const TypedEntry&) = delete;

  void add(QLineEdit* edit, Field field);

  // The program shows a value in an edit. If that edit holds the BaselineText (the user is in
  // it), the baseline moves with it: a spin click while the cursor is in the Q edit must not leave
  // the old text as the baseline, or typing the old value back would count as "unchanged".
  void showValue(QLineEdit* edit, const QString& text);

  // The edit's text as a typed number; nothing when it does not parse.
  static std::optional<TypedNumber> number(const QLineEdit* edit);

  // Handlers for the event filter.
  void focusEntered(QLineEdit* edit);
  void focusLost(QLineEdit* edit);
  // True when the key was consumed.
  bool keyPressed(QLineEdit* edit, int key, Qt::KeyboardModifiers modifiers, const QString& text);
  void selectAllOnClick(QLineEdit* edit);

 private:
  class EventFilter;
  struct Entry {
    QLineEdit* edit;
    Field field;
  };
  const Entry* find(const QObject* edit) const;
  void run(QLineEdit* edit);

  EditingState& state_;
  std::vector<Entry> entries_;
  QPointer<QLineEdit> baselineOwner_;  // the edit whose text the BaselineText was taken from
  std::unique_ptr<EventFilter> filter_;
};

}  // namespace lyra
