#include "protocol/TrafficTrace.h"

#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstring>

namespace lyra {

namespace {

constexpr const char* kLimitLine = "# the trace stopped here: the file reached its limit of ";
constexpr const char* kEndLine = "# trace ends";
// Room kept below the limit for the line that ends the file.
constexpr std::uint64_t kClosingRoomBytes = 96;

std::string StartedText() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{now - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d UTC",
                static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()));
  return text;
}

std::string LimitText(std::uint64_t bytes) {
  if (bytes % (1024 * 1024) == 0) return std::to_string(bytes / (1024 * 1024)) + " MB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

std::unique_ptr<TrafficTrace> TrafficTrace::open(const std::string& path, std::int64_t startUs,
                                                 std::string& error, std::uint64_t limitBytes) {
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = errno ? std::strerror(errno) : "the file cannot be made";
    return nullptr;
  }
  std::unique_ptr<TrafficTrace> trace(new TrafficTrace(file, path, startUs, limitBytes));
  trace->line("# LYRAPHONE traffic trace, started " + StartedText());
  trace->line("# time since the start, direction, port, the bytes in hex  |  what they are");
  if (trace->stopped_) {
    error = trace->failure_;
    return nullptr;
  }
  return trace;
}

TrafficTrace::TrafficTrace(std::FILE* file, std::string path, std::int64_t startUs,
                           std::uint64_t limitBytes)
    : file_(file), path_(std::move(path)), startUs_(startUs), limitBytes_(limitBytes) {
  sent_.onPiece = [this](const SplitPiece& p) { piece(LinkTraffic::Direction::Sent, p); };
  received_.onPiece = [this](const SplitPiece& p) { piece(LinkTraffic::Direction::Received, p); };
}

TrafficTrace::~TrafficTrace() {
  detach();
  flushSplitters();
  if (!stopped_) put(std::string(kEndLine) + "\n");
  std::fclose(file_);
}

void TrafficTrace::attach(SerialLink& link) {
  detach();
  link_ = &link;
  link.observer = [this](const LinkTraffic& t) { traffic(t); };
}

void TrafficTrace::detach() {
  if (link_) link_->observer = nullptr;
  link_ = nullptr;
}

void TrafficTrace::traffic(const LinkTraffic& t) {
  if (stopped_) return;
  // Another port: what the last one left unfinished ends here.
  if (t.port != port_) {
    flushSplitters();
    port_ = t.port;
  }
  (t.direction == LinkTraffic::Direction::Sent ? sent_ : received_).bytes(t.bytes, t.timeUs);
}

void TrafficTrace::flushSplitters() {
  sent_.flush();
  received_.flush();
}

void TrafficTrace::piece(LinkTraffic::Direction direction, const SplitPiece& p) {
  char head[64];
  std::snprintf(head, sizeof head, "%9" PRId64 " ms  %-8s  ", (p.timeUs - startUs_) / 1000,
                direction == LinkTraffic::Direction::Sent ? "sent" : "received");
  std::string text = head + port_ + "  " + HexBytes(p.bytes) + "  |  ";
  text += p.kind == SplitPiece::Kind::Whole
              ? FrameSummary(p.bytes)
              : "stray bytes (" + std::to_string(p.bytes.size()) + ")";
  line(text);
}

void TrafficTrace::line(const std::string& text) {
  if (stopped_) return;
  if (written_ + text.size() + 1 + kClosingRoomBytes > limitBytes_) {
    put(std::string(kLimitLine) + LimitText(limitBytes_) + "\n");
    stopped_ = true;
    return;
  }
  put(text + "\n");
}

bool TrafficTrace::put(const std::string& text) {
  errno = 0;
  const bool ok = std::fputs(text.c_str(), file_) >= 0 && std::fflush(file_) == 0;
  if (ok) {
    written_ += text.size();
    return true;
  }
  if (!stopped_) {
    stopped_ = true;
    failure_ = errno ? std::strerror(errno) : "the file cannot be written";
    if (onFailed) onFailed(failure_);
  }
  return false;
}

}  // namespace lyra
