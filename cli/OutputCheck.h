#pragma once
// The files a command will write, checked before the bus is touched: a backup of a rack takes
// about 16 s a device, and a folder that cannot take its files must stop it before the first one.

#include <filesystem>
#include <optional>
#include <string>

namespace lyra::cli {

// Whether a file can be written at path: its folder exists and takes a new file. Tried by
// creating and removing a small file of our own there, since permission bits do not tell the
// whole story (a read-only file system, a network folder, a user the bits do not apply to).
// Returns what stands in the way.
std::optional<std::string> CheckWritable(const std::filesystem::path& file);

// Makes the folder (and its parents) where it is missing. Returns what stands in the way.
std::optional<std::string> MakeFolder(const std::filesystem::path& folder);

}  // namespace lyra::cli
