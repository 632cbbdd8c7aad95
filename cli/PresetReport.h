#pragma once
// `show` and `diff`: preset files printed and compared parameter by parameter, as text or JSON.

#include <string>
#include <variant>

#include "cli/PresetFile.h"

namespace lyra::cli {

std::string ShowText(const std::string& fileName, const PresetFileContent& content);
std::string ShowJson(const std::string& fileName, const PresetFileContent& content);

struct DiffResult {
  bool same = true;
  std::string output;  // nothing in text form when the files are the same
};

// Both files must be of one kind; otherwise the error says so.
std::variant<DiffResult, std::string> DiffPresetFiles(const std::string& nameA,
                                                      const PresetFileContent& a,
                                                      const std::string& nameB,
                                                      const PresetFileContent& b, bool json);

}  // namespace lyra::cli
