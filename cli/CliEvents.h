#pragma once
// The tool as the device sessions' front end: every question ("... Do you want to proceed?") is
// answered Yes, since the command line already said what to do; a file choice is answered with
// the path the command line gave; every outcome is kept, so a command learns how its operation
// ended from the outcome itself, and the outcomes the window shows a box for are printed as one
// line each, in the window's words. A success (a name saved, a DeviceId taken) is a result and
// goes to printResult (standard output); a failure goes to standard error and is kept as the
// device's failure.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sessions/Outcome.h"

namespace lyra::cli {

// The full-width comma (U+FF0C) is the device maker's, as the window shows it.
inline constexpr const char* kOvertimeLine = "overtime\xEF\xBC\x8Ctry again.";

class CliEvents final : public SessionEvents {
 public:
  explicit CliEvents(std::function<void(const std::string&)> print) : print_(std::move(print)) {}

  std::string context;  // "device 3": what each printed line is about
  // Where a success goes, as "device 3: Successfully save."; without it, with the rest.
  std::function<void(const std::string&)> printResult;
  std::string path;  // what a file choice answers; empty: the choice is cancelled
  std::function<void(int percent)> onProgress;  // the wait box's bar moved
  std::function<void(const Outcome&)> onEnded;  // after the outcome was kept and printed

  void reset() {
    outcomes_.clear();
    failures_.clear();
  }

  // A failure in the tool's own words (standard error), kept like a session's.
  void fail(const std::string& text, const std::string& detail = {});
  // The last outcome of operation since reset().
  std::optional<Outcome> outcomeOf(Operation operation) const;
  bool ended(Operation operation) const { return outcomeOf(operation).has_value(); }
  // The first failure printed since reset(), in the words it was printed with.
  std::optional<std::string> failure() const {
    if (failures_.empty()) return std::nullopt;
    return failures_.front();
  }

  void ended(const Outcome& outcome) override;
  bool confirm(Question) override { return true; }
  std::optional<std::string> choosePath(FileChoice) override {
    if (path.empty()) return std::nullopt;
    return path;
  }
  void progress(const Progress& step) override {
    if (step.step == Progress::Step::Moved && onProgress) onProgress(step.percent);
  }

 private:
  void print(const std::string& text, const std::string& detail, bool success);

  std::function<void(const std::string&)> print_;
  std::vector<Outcome> outcomes_;
  std::vector<std::string> failures_;
};

}  // namespace lyra::cli
