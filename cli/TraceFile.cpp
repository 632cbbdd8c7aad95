#include "cli/TraceFile.h"

namespace lyra::cli {

std::unique_ptr<TrafficTrace> StartTrace(const Invocation& inv, Scheduler& scheduler,
                                         std::ostream& err) {
  if (!inv.trace) return nullptr;
  std::string why;
  auto trace = TrafficTrace::open(*inv.trace, scheduler.nowUs(), why);
  if (!trace) {
    err << "lyraphone-cli: --trace: " << *inv.trace << " cannot be written (" << why
        << "); going on without a trace\n";
    return nullptr;
  }
  trace->onFailed = [&err, path = *inv.trace](const std::string& reason) {
    err << "\nlyraphone-cli: --trace: " << path << " cannot be written any more (" << reason
        << "); the trace stops here, the command goes on\n";
  };
  return trace;
}

}  // namespace lyra::cli
