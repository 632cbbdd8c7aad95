#pragma once
// An equaliser settings file read from the disk for the window's import and the tool's
// `--eq-file`: at most kMaxEqSettingsBytes + 1 bytes are read, so a huge file picked by mistake
// never fills the memory, and the text is refused whole with the reason a person can act on.

#include <string>
#include <variant>

#include "measure/EqSettingsText.h"

namespace lyra {

// The settings of the file, or why it is refused: "EQ.txt: line 3: ...", "EQ.txt: the file is
// empty", "EQ.txt: no such file".
std::variant<EqSettings, std::string> ReadEqSettingsFile(const std::string& path);

}  // namespace lyra
