#pragma once
// The commands on preset files and equaliser settings that need no device: `eq` (the Main EQ as
// settings text), `response` (the Main path's response as FRD or CSV) and `set --file` (a preset
// file edited by the rules a device's `set` follows), and the reading of `--eq-file`.

#include <ostream>
#include <string>
#include <variant>

#include "cli/CommandLine.h"
#include "measure/EqSettingsFile.h"

namespace lyra::cli {

// The reading of `--eq-file` is measure/'s ReadEqSettingsFile, which the window's import shares.

int RunEq(const Invocation& inv, std::ostream& out, std::ostream& err);
int RunResponse(const Invocation& inv, std::ostream& out, std::ostream& err);
int RunSetFile(const Invocation& inv, std::ostream& out, std::ostream& err);

}  // namespace lyra::cli
