#pragma once
// The Dialogs of the tool: every question the sessions ask ("... Do you want to proceed?") is
// answered Yes, since the command line already said what to do; a file dialog is answered with
// the path the command line gave; each message is printed as the window would show it and kept,
// so the command can tell the device's failure by the session's own text. A message of success
// ("Successfully save.") is a result and goes to printResult (standard output); the others are
// errors and go to standard error.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "protocol/Dialogs.h"

namespace lyra::cli {

class CliDialogs final : public Dialogs {
 public:
  explicit CliDialogs(std::function<void(const std::string&)> print) : print_(std::move(print)) {}

  std::string context;  // "device 3": what each printed message is about
  // Where a message of success goes, as "device 3: Successfully save."; without it, with the rest.
  std::function<void(const std::string&)> printResult;
  std::string path;     // what a file dialog answers; empty: the dialog is cancelled
  std::vector<std::string> messages;  // since reset()
  int fileDialogs = 0;                // file dialogs asked since reset()

  void reset() {
    messages.clear();
    fileDialogs = 0;
  }

  void message(const std::string& text, const std::string& detail = {}) override;
  Answer question(const std::string&, Buttons) override { return Answer::Yes; }
  std::optional<std::string> openFile(const FileDialogSpec&) override { return chosen(); }
  std::optional<std::string> saveFile(const FileDialogSpec&) override { return chosen(); }

  // Messages that tell of success rather than failure.
  static bool isSuccess(const std::string& text);
  // The first message since reset() that tells of a failure.
  std::optional<std::string> failure() const;

 private:
  std::optional<std::string> chosen() {
    ++fileDialogs;
    if (path.empty()) return std::nullopt;
    return path;
  }
  std::function<void(const std::string&)> print_;
};

}  // namespace lyra::cli
