// Replacing a file on Windows: write a new file, flush it to the disk, and move it over the old
// one with MoveFileExW, which replaces an existing file and returns only once the move is on the
// disk.

#include <windows.h>

#include <algorithm>
#include <system_error>

#include "storage/PresetFiles.h"

namespace lyra::detail {

namespace {

std::string reason(DWORD error) {
  return std::error_code(static_cast<int>(error), std::system_category()).message();
}

}  // namespace

std::optional<std::string> WriteAndReplace(const std::filesystem::path& temp,
                                           const std::filesystem::path& target,
                                           std::string_view content) {
  HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return reason(::GetLastError());
  bool written = true;
  while (written && !content.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1u << 20));
    DWORD done = 0;
    written = ::WriteFile(file, content.data(), chunk, &done, nullptr) != 0 && done > 0;
    if (written) content.remove_prefix(done);
  }
  written = written && ::FlushFileBuffers(file) != 0;
  const DWORD writeError = ::GetLastError();
  ::CloseHandle(file);
  if (!written) {
    ::DeleteFileW(temp.c_str());
    return reason(writeError);
  }
  if (!::MoveFileExW(temp.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD moveError = ::GetLastError();
    ::DeleteFileW(temp.c_str());
    return reason(moveError);
  }
  return std::nullopt;
}

}  // namespace lyra::detail
