#pragma once
// The Dialogs seam: modal messages, questions and file dialogs.
//
// The window shows QMessageBox and QFileDialog (app/QtDialogs); tests answer from a script and
// record every text shown (tests/support/ScriptedDialogs.h). Texts stand exactly as the program
// gives them; "\r" and "\r\n" inside a text are line breaks.

#include <functional>
#include <optional>
#include <string>

namespace lyra {

struct FileDialogOptions {
  std::string filter;            // "lyraphonefile(*.sps)|*.sps": description|pattern
  std::string defaultName;       // "mystyle"
  std::string defaultExtension;  // "sps", added when the user types a name without one
};

class Dialogs {
 public:
  enum class Buttons { YesNo, YesCancel };
  enum class Answer { Yes, No, Cancel };

  virtual ~Dialogs() = default;
  // A modal message with a warning icon. detail, when given, is shown under the message (the
  // system's reason a port could not be opened, say).
  virtual void message(const std::string& text, const std::string& detail = {}) = 0;
  // A modal question with a warning icon; closing the box counts as No or Cancel.
  virtual Answer question(const std::string& text, Buttons buttons) = 0;
  // The chosen path, or nothing when the user cancels. Saving asks before overwriting.
  virtual std::optional<std::string> openFile(const FileDialogOptions& options) = 0;
  virtual std::optional<std::string> saveFile(const FileDialogOptions& options) = 0;
  // A line the user types, checked as it is typed: check gives what is wrong with the text (empty
  // when nothing is), shown under the field, and OK takes only a text without fault. Nothing when
  // the user cancels; a front end without such a box (the tool) always cancels.
  virtual std::optional<std::string> askText(const std::string& title, const std::string& label,
                                             const std::function<std::string(const std::string&)>& check) {
    (void)title;
    (void)label;
    (void)check;
    return std::nullopt;
  }
};

// "\r\n" and a lone "\r" as the "\n" that Qt breaks lines on.
std::string withLineBreaks(const std::string& text);

}  // namespace lyra
