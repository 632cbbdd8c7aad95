#pragma once
// Preset files as the tool reads them: the same lines and the same checks as the window, and,
// for a file the window would call damaged, where it is damaged.

#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace lyra::cli {

enum class PresetFileKind { Single, AllPresets };  // *.sps, *.fps

struct PresetFileContent {
  PresetFileKind kind = PresetFileKind::Single;
  // One PresetBlockText for a single preset, twenty for all presets (block n at n - 1).
  std::vector<std::string> blocks;
};

struct PresetFileProblem {
  std::string message;  // "FILE:LINE: what is wrong", or "FILE: what is wrong" without a line
  int line = 0;         // 1-based; 0 when the problem is the whole file
};

// The kind a file's name says: ".sps" or ".fps" in any case; nothing for another name.
std::optional<PresetFileKind> KindOfName(const std::filesystem::path& path);

// Reads and checks a preset file. A file is accepted exactly when the window would load it:
// a single preset is its lines joined into one valid PresetBlockText, all presets are twenty
// lines that are each one. The kind comes from `expected`, else from the name, else from the
// content (twenty valid lines are all presets).
std::variant<PresetFileContent, PresetFileProblem> ReadPresetFile(
    const std::filesystem::path& path, std::optional<PresetFileKind> expected = std::nullopt);

// The same checks on lines already read (for tests and for files read another way).
std::variant<PresetFileContent, PresetFileProblem> CheckPresetLines(
    const std::string& fileName, const std::vector<std::string>& lines, PresetFileKind kind);

}  // namespace lyra::cli
