#pragma once
// A front end for the device sessions in tests: answers and file choices come from a script, and
// every outcome, question, file choice and progress step is recorded with the virtual time it
// came at.
//
// The window shows a box for a question, a file choice and most failures, and a real box runs a
// nested event loop while it is up: timers tick, replies are parsed and the port check runs.
// Given a scheduler, every such box stays up here for thinkMs of virtual time (waitPumping)
// before it is answered, so the same things can happen meanwhile.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "sessions/Outcome.h"
#include "timing/Scheduler.h"

namespace lyra::test {

class ScriptedEvents final : public SessionEvents {
 public:
  struct Ended {
    Outcome outcome;
    std::int64_t atMs = 0;
  };

  Scheduler* scheduler = nullptr;  // the clock that runs while a box is up
  int thinkMs = 0;                 // how long each box stays up

  std::deque<bool> answers;                          // Yes when empty
  std::deque<std::optional<std::string>> filePaths;  // cancelled when empty
  std::vector<Ended> outcomes;
  std::vector<Question> questions;
  std::vector<FileChoice> fileChoices;
  std::vector<Progress> progressSteps;

  void ended(const Outcome& outcome) override {
    outcomes.push_back({outcome, scheduler ? scheduler->nowMs() : 0});
    if (showsBox(outcome)) think();
  }
  bool confirm(Question question) override {
    questions.push_back(question);
    think();
    if (answers.empty()) return true;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }
  std::optional<std::string> choosePath(FileChoice choice) override {
    fileChoices.push_back(choice);
    think();
    if (filePaths.empty()) return std::nullopt;
    auto p = filePaths.front();
    filePaths.pop_front();
    return p;
  }
  void progress(const Progress& step) override { progressSteps.push_back(step); }

  // The kinds of the outcomes of operation, in order.
  std::vector<OutcomeKind> kindsOf(Operation operation) const {
    std::vector<OutcomeKind> kinds;
    for (const Ended& e : outcomes) {
      if (e.outcome.operation == operation) kinds.push_back(e.outcome.kind);
    }
    return kinds;
  }
  // The outcomes that are no success, of any operation.
  std::vector<Outcome> failures() const {
    std::vector<Outcome> f;
    for (const Ended& e : outcomes) {
      if (!e.outcome.succeeded()) f.push_back(e.outcome);
    }
    return f;
  }
  // The percentages the wait box's bar moved to.
  std::vector<int> percents() const {
    std::vector<int> p;
    for (const Progress& s : progressSteps) {
      if (s.step == Progress::Step::Moved) p.push_back(s.percent);
    }
    return p;
  }

  // Whether the window shows a box for the outcome: every failure but a cancel and the quiet
  // ends, and the two successes it announces.
  static bool showsBox(const Outcome& o) {
    switch (o.kind) {
      case OutcomeKind::Cancelled:
      case OutcomeKind::NoLink:
      case OutcomeKind::EmptyFile:
        return false;
      case OutcomeKind::Saved:
        return o.operation == Operation::NameSave;
      case OutcomeKind::Acknowledged:
        return true;
      default:
        return !o.succeeded();
    }
  }

 private:
  void think() {
    if (scheduler && thinkMs > 0) scheduler->waitPumping(thinkMs);
  }
};

}  // namespace lyra::test
