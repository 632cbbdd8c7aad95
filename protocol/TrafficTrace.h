#pragma once
// The traffic trace for support: every frame the program sent and received, one a line, with its
// time, direction, port, bytes and what they say, written as it happens.
//
//   # LYRAPHONE traffic trace, started 2026-12-09 09:40:00 UTC
//         1204 ms  sent      /dev/ttyUSB0  A5 A5 A5 00 A2 00 2B 00 00 00 89 AA  |  address 00 ...
//         1269 ms  received  /dev/ttyUSB0  13 37  |  stray bytes (2)
//
// Each line is flushed when written, so a crash loses at most the line being written. A file
// stops growing at its limit, with a line that says so. A trace that cannot be written stops and
// says why through onFailed; the link and the program go on as before.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "protocol/FrameSplitter.h"
#include "serial/SerialLink.h"

namespace lyra {

class TrafficTrace {
 public:
  static constexpr std::uint64_t kLimitBytes = 50ull * 1024 * 1024;  // 50 MB a file

  // Opens path (replacing what is there) and writes the heading; times count from startUs, on
  // the link's clock. nullptr when the file cannot be opened, with the system's reason in error.
  static std::unique_ptr<TrafficTrace> open(const std::string& path, std::int64_t startUs,
                                            std::string& error,
                                            std::uint64_t limitBytes = kLimitBytes);
  // Writes what is still held and the closing line, and closes the file.
  ~TrafficTrace();
  TrafficTrace(const TrafficTrace&) = delete;
  TrafficTrace& operator=(const TrafficTrace&) = delete;

  // Makes itself link's observer until detach() or its end.
  void attach(SerialLink& link);
  void detach();

  // One write or read of the link.
  void traffic(const LinkTraffic& t);

  // Once, when a line could not be written (a full disk): the trace has stopped.
  std::function<void(const std::string& why)> onFailed;

  const std::string& path() const { return path_; }
  bool stopped() const { return stopped_; }
  std::uint64_t bytesWritten() const { return written_; }

 private:
  TrafficTrace(std::FILE* file, std::string path, std::int64_t startUs, std::uint64_t limitBytes);
  void piece(LinkTraffic::Direction direction, const SplitPiece& p);
  void flushSplitters();
  // Writes one line unless that would take the file past its limit; then the limit's line.
  void line(const std::string& text);
  bool put(const std::string& text);

  std::FILE* file_;
  std::string path_;
  std::int64_t startUs_;
  std::uint64_t limitBytes_;
  std::uint64_t written_ = 0;
  bool stopped_ = false;
  std::string failure_;  // why a line could not be written
  SerialLink* link_ = nullptr;
  std::string port_;  // of the traffic held by the splitters
  FrameSplitter sent_;
  FrameSplitter received_;
};

}  // namespace lyra
