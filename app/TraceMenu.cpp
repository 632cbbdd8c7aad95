#include "app/TraceMenu.h"

#include <QMenu>

namespace lyra {

TraceMenu::TraceMenu(WindowAreas& areas, SerialLink& link, Scheduler& scheduler, Dialogs& dialogs)
    : link_(link), scheduler_(scheduler), dialogs_(dialogs) {
  areas.helpMenu->addSeparator();
  action = areas.helpMenu->addAction(kStartTraceText);
  action->setObjectName("traceAction");
  QObject::connect(action, &QAction::triggered, [this] { triggered(); });
}

TraceMenu::~TraceMenu() {
  if (pendingMessage_) scheduler_.cancel(pendingMessage_);
}

void TraceMenu::triggered() {
  if (running()) return stop();
  const auto path = dialogs_.saveFile({"Traffic trace(*.txt)|*.txt", "lyraphone-trace", "txt"});
  if (path) start(*path);
}

bool TraceMenu::start(const std::string& path) {
  stop();
  std::string why;
  trace_ = TrafficTrace::open(path, scheduler_.nowUs(), why);
  if (!trace_) {
    dialogs_.message(kTraceNotWrittenText, path + "\n(" + why + ")");
    return false;
  }
  trace_->onFailed = [this](const std::string& reason) { failed(reason); };
  trace_->attach(link_);
  action->setText(kStopTraceText);
  return true;
}

void TraceMenu::stop() {
  trace_.reset();
  action->setText(kStartTraceText);
}

void TraceMenu::failed(const std::string& why) {
  // This runs inside the link's read or write: the trace ends, and the box comes up, once that
  // is done.
  const std::string detail = trace_->path() + "\n(" + why + ")";
  const TrafficTrace* failedTrace = trace_.get();
  pendingMessage_ = scheduler_.post(0, [this, detail, failedTrace] {
    pendingMessage_ = 0;
    if (trace_.get() == failedTrace) stop();  // not a trace started since
    dialogs_.message(kTraceStoppedText, detail);
  });
}

}  // namespace lyra
