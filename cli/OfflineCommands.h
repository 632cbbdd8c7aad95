#pragma once
// The commands on preset files and equaliser settings that need no device: `eq` (the Main EQ as
// settings text), `response` (the Main path's response as FRD or CSV) and `set --file` (a preset
// file edited by the rules a device's `set` follows), and the reading of `--eq-file`.

#include <ostream>
#include <string>
#include <variant>

#include "cli/CommandLine.h"
#include "measure/EqSettingsText.h"

namespace lyra::cli {

// The settings of an equaliser settings file, or why it is refused: "EQ.txt: line 3: ...".
std::variant<EqSettings, std::string> ReadEqSettingsFile(const std::string& path);

int RunEq(const Invocation& inv, std::ostream& out, std::ostream& err);
int RunResponse(const Invocation& inv, std::ostream& out, std::ostream& err);
int RunSetFile(const Invocation& inv, std::ostream& out, std::ostream& err);

}  // namespace lyra::cli
