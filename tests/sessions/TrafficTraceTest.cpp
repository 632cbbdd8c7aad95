// The traffic trace on the simulated bus in virtual time: every frame on the line, in order, as
// the device saw it; the file's size limit; a file that cannot be written.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "protocol/TrafficTrace.h"
#include "sim/DeviceModel.h"
#include "tests/sessions/ConnectStack.h"
#include "tests/storage/TempFolder.h"

namespace lyra {
namespace {

namespace fs = std::filesystem;

struct TraceLine {
  std::int64_t timeMs = 0;
  std::string direction, port, hex, summary;
};

// The lines of a trace file that are not comments.
std::vector<TraceLine> ReadTrace(const fs::path& path, std::vector<std::string>* comments = nullptr) {
  std::ifstream in(path);
  std::vector<TraceLine> lines;
  for (std::string text; std::getline(in, text);) {
    if (text.rfind("#", 0) == 0) {
      if (comments) comments->push_back(text);
      continue;
    }
    const auto bar = text.find("  |  ");
    std::istringstream head(text.substr(0, bar));
    TraceLine line;
    std::string ms;
    head >> line.timeMs >> ms >> line.direction >> line.port;
    std::string byte;
    while (head >> byte) line.hex += (line.hex.empty() ? "" : " ") + byte;
    line.summary = bar == std::string::npos ? "" : text.substr(bar + 5);
    lines.push_back(line);
  }
  return lines;
}

class TrafficTraceTest : public ::testing::Test, protected test::ConnectStack {
 protected:
  TrafficTraceTest() { session.onFailed = [this] { session.end(); }; }
  std::unique_ptr<TrafficTrace> openTrace(std::uint64_t limit = TrafficTrace::kLimitBytes) {
    std::string error;
    auto trace = TrafficTrace::open((folder / "trace.txt").string(), scheduler.nowUs(), error, limit);
    EXPECT_TRUE(trace) << error;
    if (trace) trace->attach(link);
    return trace;
  }
  void connect() { start(); }

  test::TempFolder folder;
};


TEST_F(TrafficTraceTest, ListsEveryFrameOnTheLineInTheOrderTheDeviceSawThem) {
  DeviceModel device(bus, "COM3", 1, 7u);
  // What the device took and sent, in its own order: the simulator's traffic log.
  std::vector<std::pair<std::string, std::string>> deviceSaw;
  device.onTraffic = [&](bool sent, const std::vector<std::uint8_t>& bytes) {
    deviceSaw.emplace_back(sent ? "received" : "sent", HexBytes(bytes));
  };
  auto trace = openTrace();
  connect();
  scheduler.advanceMs(3000);  // the handshake (block, names, system record) and polls
  ASSERT_TRUE(supervisor.linked());
  // A parameter write through the send slots, acknowledged.
  pump.queueParameterWrite(kMainBand1Slot, parameterWrite(0x00, group::kMainBand1, 0,
                                                          {0x88, 0, 0x0C, 0, 0x1E, 0, 0, 0}));
  scheduler.advanceMs(2000);
  session.end();
  trace.reset();

  const auto lines = ReadTrace(folder / "trace.txt");
  std::vector<std::pair<std::string, std::string>> traced;
  for (const TraceLine& l : lines) {
    EXPECT_EQ(l.port, "COM3");
    EXPECT_NE(l.summary.find("checksum right"), std::string::npos) << l.summary;
    traced.emplace_back(l.direction, l.hex);
  }
  EXPECT_EQ(traced, deviceSaw);
  // The whole conversation is there: the 332-byte block and the 412-byte names came in many
  // reads and are one line each.
  ASSERT_GE(lines.size(), 12u);
  EXPECT_EQ(lines[1].hex.size(), 332u * 3 - 1);
  EXPECT_NE(lines[1].summary.find("reply (52)  index 00  group 28 preset"), std::string::npos);
  EXPECT_EQ(lines[3].hex.size(), 412u * 3 - 1);
  for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_GE(lines[i].timeMs, lines[i - 1].timeMs);
}

TEST_F(TrafficTraceTest, NoiseOnTheLineIsTracedAsStrayBytesBetweenTheFrames) {
  DeviceModel device(bus, "COM3", 1, 7u);
  auto trace = openTrace();
  connect();
  scheduler.advanceMs(3000);
  ASSERT_TRUE(supervisor.linked());
  bus.sendToProgram("COM3", {0x13, 0x37});
  scheduler.advanceMs(1000);
  session.end();
  trace.reset();
  const auto lines = ReadTrace(folder / "trace.txt");
  const auto stray = std::find_if(lines.begin(), lines.end(),
                                  [](const TraceLine& l) { return l.hex == "13 37"; });
  ASSERT_NE(stray, lines.end());
  EXPECT_EQ(stray->summary, "stray bytes (2)");
  EXPECT_EQ(stray->direction, "received");
}

TEST_F(TrafficTraceTest, TheFileStopsAtItsLimitAndSaysSo) {
  DeviceModel device(bus, "COM3", 1, 7u);
  constexpr std::uint64_t kLimit = 8000;
  auto trace = openTrace(kLimit);
  connect();
  scheduler.advanceMs(20'000);  // forty polls and their replies: far more than 8000 bytes
  EXPECT_TRUE(trace->stopped());
  // The program went on: the link is up and polling.
  EXPECT_TRUE(supervisor.linked());
  EXPECT_FALSE(link.isDead());
  trace.reset();
  EXPECT_LE(fs::file_size(folder / "trace.txt"), kLimit);
  std::vector<std::string> comments;
  const auto lines = ReadTrace(folder / "trace.txt", &comments);
  EXPECT_GE(lines.size(), 3u);
  ASSERT_FALSE(comments.empty());
  EXPECT_EQ(comments.back(),
            "# the trace stopped here: the file reached its limit of 8000 bytes");
  // Without a limit in the way the file ends with its own line.
  trace = openTrace();
  trace.reset();
  comments.clear();
  ReadTrace(folder / "trace.txt", &comments);
  EXPECT_EQ(comments.back(), "# trace ends");
  EXPECT_EQ(TrafficTrace::kLimitBytes, 50u * 1024 * 1024);
}

TEST_F(TrafficTraceTest, AFileThatCannotBeWrittenStopsTheTraceNotTheProgram) {
  std::string error;
  EXPECT_FALSE(TrafficTrace::open((folder / "no/such/folder/trace.txt").string(), 0, error));
  EXPECT_FALSE(error.empty());
#ifdef __linux__
  // A full disk: the heading cannot be written.
  error.clear();
  EXPECT_FALSE(TrafficTrace::open("/dev/full", 0, error));
  EXPECT_EQ(error, "No space left on device");
#endif
#ifdef __linux__
  // A trace that fails while it runs (the disk fills up) says so once and goes quiet; the link
  // goes on. The file-size limit of the process stands in for the full disk.
  DeviceModel device(bus, "COM3", 1, 7u);
  auto trace = openTrace();
  std::vector<std::string> failures;
  trace->onFailed = [&](const std::string& why) { failures.push_back(why); };
  connect();
  scheduler.advanceMs(1000);
  const auto written = fs::file_size(folder / "trace.txt");
  ASSERT_GT(written, 0u);
  {
    test::FileSizeLimit full(written + 100);
    scheduler.advanceMs(3000);
  }
  EXPECT_EQ(failures, std::vector<std::string>{"File too large"});
  EXPECT_TRUE(trace->stopped());
  EXPECT_TRUE(supervisor.linked());
  EXPECT_FALSE(link.isDead());
  EXPECT_TRUE(static_cast<bool>(link.observer));
  trace.reset();
  EXPECT_FALSE(static_cast<bool>(link.observer));
#endif
}

// The whole connection with and without a trace: the same bytes at the same times on the line.
TEST(TrafficTraceOnTheLine, ChangesNothingOnTheWireNorItsTiming) {
  const auto run = [](const std::string* tracePath) {
    VirtualScheduler scheduler;
    TimerTable timers{scheduler};
    SimBus bus{scheduler};
    bus.addPort("COM3");
    DeviceModel device(bus, "COM3", 1, 7u);
    auto driver = bus.makeDriver();
    auto ports = bus.makePortSource();
    SerialLink link{*driver, scheduler};
    PortList portList{*ports};
    portList.refill();
    BusAddressing address;
    SendPump pump{timers, link, address};
    LinkSupervisor supervisor{timers, link, pump, address, portList};
    PresetImage image;
    ReplyParser parser = WiredReplyParser(link, image, pump, supervisor);
    link.replyParser = [&] { parser.parseReplies(); };
    WaitingFlags flags;
    test::ScriptedEvents events;
    ConnectSession session{scheduler, timers, link, pump, supervisor, parser, address, flags, events};
    std::string error;
    auto trace = tracePath ? TrafficTrace::open(*tracePath, 0, error) : nullptr;
    if (trace) trace->attach(link);
    session.start(portList.selectedEntry(), portList.selectedPortNumber());
    scheduler.advanceMs(4000);
    EXPECT_TRUE(supervisor.linked());
    session.end();
    timers.stopAll();
    std::vector<std::pair<std::int64_t, std::string>> writes;
    for (const auto& w : bus.writes("COM3")) writes.emplace_back(w.timeUs, HexBytes(w.bytes));
    return writes;
  };
  test::TempFolder folder;
  const std::string path = (folder / "trace.txt").string();
  const auto untraced = run(nullptr);
  EXPECT_GE(untraced.size(), 8u);
  EXPECT_EQ(run(&path), untraced);
  EXPECT_GT(std::filesystem::file_size(path), 1000u);
}

}  // namespace
}  // namespace lyra
