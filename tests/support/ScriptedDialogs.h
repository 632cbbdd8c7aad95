#pragma once
// Dialogs for tests: answers come from a script, and every text shown is recorded with the
// virtual time it was shown at.
//
// A real box runs a nested event loop while it is up: timers tick, replies are parsed and the port
// check runs, and the user may take seconds to answer. Given a scheduler, every box here stays up
// for thinkMs of virtual time (WaitPumping) before it is answered, so the same things can happen
// while it is up.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "protocol/Dialogs.h"
#include "timing/Scheduler.h"

namespace lyra::test {

class ScriptedDialogs final : public Dialogs {
 public:
  struct Shown {
    std::string text;
    std::string detail;
    std::int64_t atMs = 0;
  };

  std::function<std::int64_t()> clockMs = [] { return std::int64_t{0}; };
  // Runs while a message is up, as a modal box would: the test can look at the window then.
  std::function<void(const std::string&)> whileShown;

  Scheduler* scheduler = nullptr;  // the clock that runs while a box is up
  int thinkMs = 0;                 // how long each box stays up
  std::deque<int> thinkTimesMs;    // per box, in order, before thinkMs applies

  std::deque<Answer> answers;                         // Yes when empty
  std::deque<std::optional<std::string>> filePaths;   // cancelled when empty
  // Typed lines, in order (cancelled when empty). A text the check faults is typed but cannot be
  // taken: the box is cancelled and the fault recorded, as the user would see it.
  std::deque<std::optional<std::string>> typedTexts;
  std::vector<std::string> textPrompts;
  std::vector<std::string> textFaults;
  std::vector<Shown> messages;
  std::vector<std::string> questions;
  std::vector<FileDialogOptions> fileDialogs;

  void message(const std::string& text, const std::string& detail) override {
    messages.push_back({text, detail, clockMs()});
    if (whileShown) whileShown(text);
    think();
  }
  Answer question(const std::string& text, Buttons) override {
    questions.push_back(text);
    think();
    if (answers.empty()) return Answer::Yes;
    Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::optional<std::string> openFile(const FileDialogOptions& options) override { return nextPath(options); }
  std::optional<std::string> saveFile(const FileDialogOptions& options) override { return nextPath(options); }

  std::optional<std::string> askText(const std::string& title, const std::string&,
                                     const std::function<std::string(const std::string&)>& check) override {
    textPrompts.push_back(title);
    think();
    if (typedTexts.empty()) return std::nullopt;
    auto text = typedTexts.front();
    typedTexts.pop_front();
    if (!text) return std::nullopt;
    const std::string fault = check(*text);
    if (!fault.empty()) {
      textFaults.push_back(fault);
      return std::nullopt;
    }
    return text;
  }

  std::vector<std::string> messageTexts() const {
    std::vector<std::string> t;
    for (const auto& m : messages) t.push_back(m.text);
    return t;
  }

 private:
  void think() {
    int ms = thinkMs;
    if (!thinkTimesMs.empty()) {
      ms = thinkTimesMs.front();
      thinkTimesMs.pop_front();
    }
    if (scheduler && ms > 0) scheduler->waitPumping(ms);
  }
  std::optional<std::string> nextPath(const FileDialogOptions& options) {
    fileDialogs.push_back(options);
    think();
    if (filePaths.empty()) return std::nullopt;
    auto p = filePaths.front();
    filePaths.pop_front();
    return p;
  }
};

}  // namespace lyra::test
