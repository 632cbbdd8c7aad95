#include "cli/Progress.h"

#include <algorithm>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace lyra::cli {

namespace {
constexpr int kBarWidth = 30;
}

void Progress::update(std::string_view label, int done, int total) {
  const int percent = total > 0 ? std::clamp(done * 100 / total, 0, 100) : 100;
  if (terminal_) {
    const int filled = percent * kBarWidth / 100;
    err_ << "\r" << label << " [" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(kBarWidth - filled), '.') << "] " << percent
         << "%\x1b[K" << std::flush;
    barShown_ = true;
    return;
  }
  const int tenth = percent / 10;
  if (label == lastLabel_ && tenth == lastTenth_) return;
  lastLabel_ = std::string(label);
  lastTenth_ = tenth;
  err_ << label << ": " << percent << "%\n" << std::flush;
}

void Progress::line(std::string_view text) {
  finish();
  err_ << text << "\n" << std::flush;
}

void Progress::finish() {
  if (!barShown_) return;
  err_ << "\n" << std::flush;
  barShown_ = false;
}

bool IsTerminal(int fileDescriptor) {
#ifdef _WIN32
  return _isatty(fileDescriptor) != 0;
#else
  return ::isatty(fileDescriptor) != 0;
#endif
}

}  // namespace lyra::cli
