#pragma once
// The traffic trace from the window: Help's "Start traffic trace..." asks for a file with the
// save dialog and writes every frame sent and received into it until "Stop traffic trace" (or
// the end of the run); `lyraphone --trace FILE` starts one at start-up. A file that cannot be
// written is said in a message, and the window goes on without a trace.

#include <QAction>
#include <memory>
#include <string>

#include "app/WindowAreas.h"
#include "protocol/Dialogs.h"
#include "protocol/TrafficTrace.h"
#include "serial/SerialLink.h"
#include "timing/Scheduler.h"

namespace lyra {

inline constexpr const char* kStartTraceText = "Start traffic trace...";
inline constexpr const char* kStopTraceText = "Stop traffic trace";
inline constexpr const char* kTraceNotWrittenText =
    "The traffic trace cannot be written. LYRAPHONE goes on without it.";
inline constexpr const char* kTraceStoppedText =
    "The traffic trace stopped: its file cannot be written any more.";

class TraceMenu {
 public:
  TraceMenu(WindowAreas& areas, SerialLink& link, Scheduler& scheduler, Dialogs& dialogs);
  ~TraceMenu();
  TraceMenu(const TraceMenu&) = delete;
  TraceMenu& operator=(const TraceMenu&) = delete;

  // Starts a trace into path, ending one that runs; true when it runs.
  bool start(const std::string& path);
  void stop();
  bool running() const { return trace_ != nullptr; }

  QAction* action;  // Help: start or stop the trace

 private:
  void triggered();
  void failed(const std::string& why);

  SerialLink& link_;
  Scheduler& scheduler_;
  Dialogs& dialogs_;
  std::unique_ptr<TrafficTrace> trace_;
  Scheduler::Token pendingMessage_ = 0;
};

}  // namespace lyra
