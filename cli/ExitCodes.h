#pragma once
// The exit codes scripts rely on.

namespace lyra::cli {

enum ExitCode : int {
  kExitDone = 0,  // everything done; `diff`: the files are the same
  kExitDeviceFailed =
      1,  // some device failed (no answer, time-out, transfer cut short); `diff`: different
  kExitUsage = 2,            // bad arguments, or an input file that is damaged or unreadable
  kExitPortUnavailable = 3,  // the port could not be opened
  kExitInterrupted = 130,    // Ctrl-C
};

}  // namespace lyra::cli
