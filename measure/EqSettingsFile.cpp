#include "measure/EqSettingsFile.h"

#include <filesystem>
#include <fstream>

namespace lyra {

std::variant<EqSettings, std::string> ReadEqSettingsFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return path + ": no such file";
  std::ifstream in(path, std::ios::binary);
  if (!in) return path + ": cannot be read";
  // One byte more than the limit is enough to know a file is too large.
  std::string bytes(kMaxEqSettingsBytes + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  auto parsed = ParseEqSettings(bytes);
  if (auto* error = std::get_if<std::string>(&parsed)) return path + ": " + *error;
  return parsed;
}

}  // namespace lyra
