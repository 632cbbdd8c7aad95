#pragma once
// The window's words for what the device sessions report: the one table of the message (and the
// detail under it) for each outcome, the question for each Question and the file dialog for each
// FileChoice. WindowEvents shows them through the Dialogs seam (a QMessageBox, a QFileDialog; in
// tests a scripted box that keeps the clock running), at the moment the session reports.

#include <functional>
#include <optional>
#include <string>

#include "protocol/Dialogs.h"
#include "sessions/Outcome.h"

namespace lyra {

// The full-width comma (U+FF0C) is the program's own: the text reads as the device's maker wrote
// it.
inline constexpr const char* kOvertimeText = "overtime\xEF\xBC\x8Ctry again.";

struct WindowMessage {
  std::string text;
  std::string detail;  // shown under the text; empty: none
};

// The box an outcome shows; nothing for the outcomes the window shows no box for (a success
// other than a name save or a DeviceId change, a cancel, an end without a link).
std::optional<WindowMessage> windowMessageFor(const Outcome& outcome);

struct WindowQuestion {
  const char* text;
  Dialogs::Buttons buttons;
};
WindowQuestion windowQuestionFor(Question question);

struct WindowFileDialog {
  FileDialogOptions dialog;
  bool saving;  // a save dialog (asks before overwriting), or an open dialog
};
WindowFileDialog windowFileDialogFor(FileChoice choice);

class WindowEvents final : public SessionEvents {
 public:
  explicit WindowEvents(Dialogs& dialogs) : dialogs_(dialogs) {}

  // The wait box: set by the window once its areas exist.
  std::function<void(const Progress&)> onProgress;

  void ended(const Outcome& outcome) override;
  bool confirm(Question question) override;
  std::optional<std::string> choosePath(FileChoice choice) override;
  void progress(const Progress& step) override {
    if (onProgress) onProgress(step);
  }

 private:
  Dialogs& dialogs_;
};

}  // namespace lyra
