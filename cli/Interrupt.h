#pragma once
// Ctrl-C. The first one only raises a flag: the work in hand (the frame in flight, a file being
// replaced) ends cleanly, the port is closed and the tool exits with 130. A second one ends the
// tool at once, for a user who does not want to wait.

namespace lyra::cli {

void InstallInterruptHandler();
bool Interrupted();
// For tests, and for the handler.
void RaiseInterrupt();
void ClearInterrupt();

}  // namespace lyra::cli
