// Save-all at line speed (lyraphone-cli backup --fast) against a simulated device in virtual
// time: each request only once the block before it is in whole, never two outstanding, the same
// file as at the window's pace, and the same 16 s time-out when the device stops or is slow.

#include <gtest/gtest.h>

#include <map>

#include "protocol/FrameSplitter.h"
#include "sim/DeviceModel.h"
#include "sim/SimBus.h"
#include "sessions/DeviceSessions.h"
#include "storage/PresetFiles.h"
#include "tests/storage/TempFolder.h"
#include "tests/support/ScriptedEvents.h"
#include "timing/VirtualScheduler.h"

namespace lyra {
namespace {

using Pacing = PresetFileSession::SavePacing;
using Kinds = std::vector<OutcomeKind>;

class FastSaveAllTest : public ::testing::Test {
 protected:
  FastSaveAllTest() {
    bus.addPort("COM3");
    events.scheduler = &scheduler;
    for (int n = 1; n <= 20; ++n) device.memory().blocks[n - 1][310] = static_cast<std::uint8_t>(n);
    sessions.connectSession.onFailed = [this] {
      ADD_FAILURE() << "the link failed";
      sessions.connectSession.end();
    };
    // When each stored block was in whole at the program, by its index.
    received.onPiece = [this](const SplitPiece& p) {
      if (p.kind == SplitPiece::Kind::Whole && p.bytes[4] == 0x52 && p.bytes[6] == 0x29)
        blockInUs[p.bytes[5]] = p.timeUs;
    };
    sessions.link.observer = [this](const LinkTraffic& t) {
      if (t.direction == LinkTraffic::Direction::Received) received.bytes(t.bytes, t.timeUs);
    };
    EXPECT_EQ(sessions.connectSession.start(sessions.portList.selectedEntry(),
                                        sessions.portList.selectedPortNumber()),
              ConnectSession::Started::Handshake);
    scheduler.advanceMs(3000);
    bus.clearWrites("COM3");
  }
  ~FastSaveAllTest() override { sessions.link.observer = nullptr; }

  // The stored-block requests written since the start, with their times.
  std::vector<std::pair<std::int64_t, int>> blockRequests() const {
    std::vector<std::pair<std::int64_t, int>> out;
    for (const auto& w : bus.writes("COM3")) {
      if (w.bytes.size() == 12 && w.bytes[4] == 0xA2 && w.bytes[6] == 0x29)
        out.emplace_back(w.timeUs, w.bytes[5]);
    }
    return out;
  }
  // Runs a save-all into path; the virtual ms from its start to its outcome.
  std::int64_t saveAll(Pacing pacing, const std::filesystem::path& path) {
    events.filePaths.push_back(path.string());
    bus.clearWrites("COM3");
    blockInUs.clear();
    const std::int64_t from = scheduler.nowMs();
    sessions.presetFiles.saveAll(pacing);
    const std::size_t before = events.kindsOf(Operation::SaveAllPresets).size();
    scheduler.advanceUntil(
        [&] { return events.kindsOf(Operation::SaveAllPresets).size() > before; }, 20000);
    return scheduler.nowMs() - from;
  }

  VirtualScheduler scheduler;
  SimBus bus{scheduler};
  std::unique_ptr<SerialDriver> driver = bus.makeDriver();
  std::unique_ptr<PortSource> ports = bus.makePortSource();
  test::ScriptedEvents events;
  DeviceModel device{bus, "COM3", 1, 3u};
  DeviceSessions sessions{scheduler, *driver, *ports, events};
  FrameSplitter received;
  std::map<int, std::int64_t> blockInUs;
  test::TempFolder folder;
};

TEST_F(FastSaveAllTest, EachRequestWaitsForThePreviousBlockWholeAndTheFileIsTheSame) {
  const std::int64_t windowMs = saveAll(Pacing::Window, folder / "window.fps");
  // The window's pace is unchanged: a request every 700 ms, the first 700 ms in.
  auto requests = blockRequests();
  ASSERT_EQ(requests.size(), 20u);
  for (std::size_t i = 1; i < requests.size(); ++i)
    EXPECT_EQ(requests[i].first - requests[i - 1].first, 700'000) << "request " << i + 1;

  scheduler.advanceMs(1000);
  const std::int64_t fastMs = saveAll(Pacing::LineSpeed, folder / "fast.fps");
  EXPECT_EQ(events.kindsOf(Operation::SaveAllPresets),
            (Kinds{OutcomeKind::Saved, OutcomeKind::Saved}));
  requests = blockRequests();
  ASSERT_EQ(requests.size(), 20u);
  ASSERT_EQ(blockInUs.size(), 20u);
  for (std::size_t i = 0; i < requests.size(); ++i) {
    const int n = static_cast<int>(i) + 1;
    EXPECT_EQ(requests[i].second, n);
    if (n == 1) continue;
    // Block n - 1 was in whole, and the bus had its turnaround, before block n was asked.
    EXPECT_GE(requests[i].first,
              blockInUs[n - 1] + PresetFileSession::kBusTurnaroundMs * 1000)
        << "request " << n;
    EXPECT_LT(requests[i].first, blockInUs[n - 1] + 20'000) << "and not much later";
  }
  // Never two outstanding: no block request before the previous block was in.
  for (std::size_t i = 1; i < requests.size(); ++i)
    EXPECT_GT(requests[i].first, blockInUs[static_cast<int>(i)]);

  const std::string window = test::ReadBytes(folder / "window.fps");
  EXPECT_EQ(ReadTextLines(folder / "window.fps").lines.size(), 20u);
  EXPECT_EQ(test::ReadBytes(folder / "fast.fps"), window);
  EXPECT_LT(fastMs * 10, windowMs * 6) << fastMs << " ms against " << windowMs << " ms";
  EXPECT_TRUE(sessions.timers.Timer1.isActive()) << "the poll is back";
}

TEST_F(FastSaveAllTest, ADeviceThatStopsAnsweringFailsAt16SecondsWithNoFile) {
  // Silent from the seventh block on: the seventh request is the last.
  int blocksSent = 0;
  device.onTraffic = [&](bool sent, const std::vector<std::uint8_t>&) {
    if (sent && ++blocksSent == 6) device.faults().silent = true;
  };
  const auto path = folder / "rack.fps";
  const std::int64_t tookMs = saveAll(Pacing::LineSpeed, path);
  EXPECT_EQ(events.kindsOf(Operation::SaveAllPresets), Kinds{OutcomeKind::Overtime});
  EXPECT_EQ(tookMs, 16000 + 50) << "Timer9 runs from the pause after the start";
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(events.fileChoices.empty()) << "no file was asked for";
  EXPECT_EQ(blockRequests().size(), 7u);
  // Nothing more is asked once the time-out has passed.
  device.faults().silent = false;
  scheduler.advanceMs(3000);
  EXPECT_EQ(blockRequests().size(), 7u);
  EXPECT_TRUE(sessions.timers.Timer1.isActive());
}

TEST_F(FastSaveAllTest, LateBlocksAreWaitedForWithinTheTimeOut) {
  // 300 ms late each: still well inside 16 s, and each request waits for its block.
  device.faults().lateByUs = 300'000;
  const auto path = folder / "late.fps";
  saveAll(Pacing::LineSpeed, path);
  EXPECT_EQ(events.kindsOf(Operation::SaveAllPresets), Kinds{OutcomeKind::Saved});
  EXPECT_EQ(ReadTextLines(path).lines.size(), 20u);
  const auto requests = blockRequests();
  ASSERT_EQ(requests.size(), 20u);
  for (std::size_t i = 1; i < requests.size(); ++i)
    EXPECT_GT(requests[i].first, blockInUs[static_cast<int>(i)]) << "request " << i + 1;

  // 600 ms late each: twenty of them take longer than the time-out, which fails the save whole.
  device.faults().lateByUs = 600'000;
  const auto slow = folder / "slow.fps";
  saveAll(Pacing::LineSpeed, slow);
  EXPECT_EQ(events.kindsOf(Operation::SaveAllPresets),
            (Kinds{OutcomeKind::Saved, OutcomeKind::Overtime}));
  EXPECT_FALSE(std::filesystem::exists(slow));
}

}  // namespace
}  // namespace lyra
