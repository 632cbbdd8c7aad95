// Replacing a file on POSIX systems: write a new file, fsync it, rename it over the old one and
// fsync the folder, so that after a crash the name holds either the old or the new content.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "storage/PresetFiles.h"

namespace lyra::detail {

namespace {

std::string reason(int error) {
  return std::error_code(error, std::generic_category()).message();
}

bool writeAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

std::optional<std::string> WriteAndReplace(const std::filesystem::path& temp,
                                           const std::filesystem::path& target,
                                           std::string_view content) {
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return reason(errno);
  // A file that is replaced keeps who may read it.
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) (void)::fchmod(fd, old.st_mode & 07777);
  const bool written = writeAll(fd, content) && ::fsync(fd) == 0;
  const int writeError = errno;
  if (::close(fd) != 0 && written) {
    const int closeError = errno;
    ::unlink(temp.c_str());
    return reason(closeError);
  }
  if (!written) {
    ::unlink(temp.c_str());
    return reason(writeError);
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int renameError = errno;
    ::unlink(temp.c_str());
    return reason(renameError);
  }
  // The rename itself reaches the disk with the folder.
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    (void)::fsync(dir);
    ::close(dir);
  }
  return std::nullopt;
}

}  // namespace lyra::detail
