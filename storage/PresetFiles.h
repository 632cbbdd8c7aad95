#pragma once
// Preset files on the PC.
//
//   *.sps  one line: the 664-character PresetBlockText of the active preset
//   *.fps  twenty lines: the texts of stored blocks 1..20, in that order
//
// Every line ends with CR LF. Reading accepts CR LF, a lone CR and a lone LF, so files that went
// through another system's editor still load. A file is replaced only whole: the new content goes
// to a temporary file in the same folder, reaches the disk, and is then renamed over the old one,
// so a crash or a full disk never leaves half a preset file where a good one stood.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lyra {

inline constexpr std::size_t kAllPresetsLineCount = 20;
// Twenty lines of 664 characters and their line ends take 13 320 bytes. A much larger file is
// not a preset file (a wrong file picked in the dialog) and is not read into memory.
inline constexpr std::uintmax_t kPresetFileMaxBytes = 64 * 1024;

// The lines of a text: CR LF, a lone CR and a lone LF each end a line. A last line without an
// end still counts; an empty text has no lines.
std::vector<std::string> SplitTextLines(std::string_view content);

// The lines of a single-preset file joined without separators: a text split over several lines
// reads as one.
std::string JoinLines(const std::vector<std::string>& lines);

// A file holds whole blocks only: each is a valid PresetBlockText whose frame is intact
// (HasIntactFrame: the check byte is the XOR of frame bytes 3..329, the last byte is 0xAA). The
// program and the devices write nothing else, so a block that fails it was changed after it was
// saved (one digit edited, a bit flipped on a disk or a transfer) and is never uploaded.
//
// A single-preset file: its lines joined are one whole block.
bool IsValidSinglePresetText(std::string_view joinedLines);
// An all-presets file: exactly twenty lines, each one whole block.
bool IsValidAllPresetsFile(const std::vector<std::string>& lines);

struct FileLines {
  // NotAFile: the path names a folder, a device or a pipe, which is never a preset file.
  enum class Status { Read, Unreadable, TooLarge, NotAFile };
  Status status = Status::Read;
  std::vector<std::string> lines;
  std::string error;  // the system's reason when Unreadable
};
FileLines ReadTextLines(const std::filesystem::path& path);

// Writes the lines, each followed by CR LF, in place of the file at path. On success nothing is
// returned. On failure the file at path is as it was (or still absent), no temporary file is
// left behind, and the result says why in words a user can act on.
[[nodiscard]] std::optional<std::string> WriteTextLines(const std::filesystem::path& path,
                                                        const std::vector<std::string>& lines);

namespace detail {
// Per system: creates a new file at temp (failing if it exists), writes content, flushes it to
// the disk and renames it over target, keeping the target's permissions where the system has
// them. Leaves nothing at temp on failure. Returns the system's reason on failure.
std::optional<std::string> WriteAndReplace(const std::filesystem::path& temp,
                                           const std::filesystem::path& target,
                                           std::string_view content);
}  // namespace detail

}  // namespace lyra
