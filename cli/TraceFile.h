#pragma once
// --trace FILE: the traffic trace of a device command. A file that cannot be written costs the
// command nothing but the trace: it says so on standard error and goes on.

#include <memory>
#include <ostream>

#include "cli/CommandLine.h"
#include "protocol/TrafficTrace.h"
#include "timing/Scheduler.h"

namespace lyra::cli {

// The trace of --trace, or nullptr without it or when FILE cannot be opened (said on err).
std::unique_ptr<TrafficTrace> StartTrace(const Invocation& inv, Scheduler& scheduler,
                                         std::ostream& err);

}  // namespace lyra::cli
