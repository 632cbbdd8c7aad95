#pragma once
// Progress on standard error: a bar redrawn in place on a terminal, plain lines otherwise (a log
// file or a pipe gets one line per tenth of the work, not a stream of carriage returns).

#include <ostream>
#include <string>
#include <string_view>

namespace lyra::cli {

class Progress {
 public:
  Progress(std::ostream& err, bool terminal) : err_(err), terminal_(terminal) {}
  ~Progress() { finish(); }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // done of total steps of the work named by label ("backup 3").
  void update(std::string_view label, int done, int total);
  // A line of its own (a device that failed, say), below the bar.
  void line(std::string_view text);
  // Ends the bar's line, if one is drawn.
  void finish();

 private:
  std::ostream& err_;
  bool terminal_;
  bool barShown_ = false;
  std::string lastLabel_;
  int lastTenth_ = -1;
};

// Whether the stream of that file descriptor is a terminal.
bool IsTerminal(int fileDescriptor);

}  // namespace lyra::cli
