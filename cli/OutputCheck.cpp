#include "cli/OutputCheck.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>

namespace lyra::cli {

namespace fs = std::filesystem;

std::optional<std::string> CheckWritable(const fs::path& file) {
  std::error_code ec;
  fs::path target = file;
  // A link is written through, as the file writer does: the folder that matters is its target's.
  if (fs::is_symlink(target, ec)) {
    const fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) target = resolved;
  }
  if (fs::is_directory(target, ec)) return file.string() + " is a folder, not a file";
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  if (!fs::is_directory(folder, ec))
    return "the folder " + folder.string() + " does not exist (for " + file.string() + ")";
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 4; ++attempt) {
    const fs::path probe =
        folder / (".lyraphone-cli-check-" + std::to_string(ticks) + "-" + std::to_string(attempt));
    if (fs::exists(probe, ec)) continue;
    errno = 0;
    std::ofstream out(probe, std::ios::out | std::ios::binary);
    const int error = errno;
    if (!out) {
      return "cannot write in the folder " + folder.string() + " (for " + file.string() + ")" +
             (error != 0 ? ": " + std::string(std::strerror(error)) : std::string());
    }
    out.close();
    fs::remove(probe, ec);
    return std::nullopt;
  }
  return "cannot write in the folder " + folder.string() + " (for " + file.string() + ")";
}

std::optional<std::string> MakeFolder(const fs::path& folder) {
  std::error_code ec;
  if (fs::is_directory(folder, ec)) return std::nullopt;
  fs::create_directories(folder, ec);
  if (ec) return "cannot create the folder " + folder.string() + ": " + ec.message();
  return std::nullopt;
}

}  // namespace lyra::cli
