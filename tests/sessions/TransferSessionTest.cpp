// The preset sessions without a window: DeviceSessions against simulated devices in virtual time,
// with a front end whose boxes stay up while the clock runs. Each operation is judged by the
// outcome it reports.

#include <gtest/gtest.h>

#include <algorithm>

#include "preset/PresetBlockText.h"
#include "sim/DeviceModel.h"
#include "sim/SimBus.h"
#include "sessions/DeviceSessions.h"
#include "storage/PresetFiles.h"
#include "tests/storage/TempFolder.h"
#include "tests/support/ScriptedEvents.h"
#include "timing/VirtualScheduler.h"

namespace lyra {
namespace {

using Kinds = std::vector<OutcomeKind>;

class TransferSessionTest : public ::testing::Test {
 protected:
  TransferSessionTest() {
    bus.addPort("COM3");
    events.scheduler = &scheduler;
    device = std::make_unique<DeviceModel>(bus, "COM3", 1, 3u);
    for (int n = 1; n <= 20; ++n) device->memory().blocks[n - 1][310] = static_cast<std::uint8_t>(n);
    sessions = std::make_unique<DeviceSessions>(scheduler, *driver, *ports, events);
    sessions->connectSession.onFailed = [this] { sessions->connectSession.end(); };
    sessions->timers.brocar1.start();
  }
  ~TransferSessionTest() override {
    sessions.reset();
    device.reset();
  }
  void connect() {
    ASSERT_EQ(sessions->connectSession.start(sessions->portList.selectedEntry(),
                                         sessions->portList.selectedPortNumber()),
              ConnectSession::Started::Handshake);
    scheduler.advanceMs(3000);
    ASSERT_EQ(events.kindsOf(Operation::Connect), Kinds{OutcomeKind::Linked});
    ASSERT_TRUE(sessions->timers.Timer1.isActive());
  }
  std::vector<std::string> fileLines(const std::filesystem::path& p) const {
    return ReadTextLines(p).lines;
  }
  bool waitBoxShown() const {
    return !events.progressSteps.empty() &&
           events.progressSteps.back().step != Progress::Step::Hidden;
  }

  VirtualScheduler scheduler;
  SimBus bus{scheduler};
  std::unique_ptr<SerialDriver> driver = bus.makeDriver();
  std::unique_ptr<PortSource> ports = bus.makePortSource();
  test::ScriptedEvents events;
  std::unique_ptr<DeviceModel> device;
  std::unique_ptr<DeviceSessions> sessions;
  test::TempFolder folder;
};

TEST_F(TransferSessionTest, SaveAllWritesEachBlockOnceInItsOwnLineEvenFromADeviceAnsweringTwice) {
  connect();
  device->faults().answersTwice = true;
  const auto path = folder / "rack.fps";
  events.thinkMs = 800;  // the confirmation and the file dialog stay up a while
  events.filePaths.push_back(path.string());
  sessions->presetFiles.saveAll();
  scheduler.advanceMs(17000);
  EXPECT_TRUE(events.failures().empty());
  ASSERT_EQ(events.kindsOf(Operation::SaveAllPresets), Kinds{OutcomeKind::Saved});
  EXPECT_EQ(events.outcomes.back().outcome.path, path.string());
  const auto lines = fileLines(path);
  ASSERT_EQ(lines.size(), 20u);
  for (int n = 1; n <= 20; ++n) {
    const std::string& line = lines[static_cast<std::size_t>(n - 1)];
    EXPECT_TRUE(IsValidPresetBlockText(line));
    EXPECT_EQ(std::stoi(line.substr(10, 2), nullptr, 16), n) << "block index of line " << n;
  }
  EXPECT_FALSE(waitBoxShown());
  EXPECT_EQ(events.percents().back(), 100);
  EXPECT_TRUE(sessions->timers.Timer1.isActive());
}

TEST_F(TransferSessionTest, ABlockDamagedOnTheLineIsNeverSavedToAFile) {
  connect();
  device->faults().damagedBlockByte = 100;  // a data byte: the header still reads right
  const auto one = folder / "one.sps";
  const auto all = folder / "rack.fps";
  ASSERT_FALSE(WriteTextLines(one.string(), {"kept"}));
  ASSERT_FALSE(WriteTextLines(all.string(), {"kept"}));
  events.filePaths = {one.string(), all.string()};
  sessions->presetFiles.saveActive();
  scheduler.advanceMs(3500);
  sessions->presetFiles.saveAll();
  scheduler.advanceMs(17000);
  EXPECT_EQ(events.kindsOf(Operation::SavePreset), Kinds{OutcomeKind::Overtime});
  EXPECT_EQ(events.kindsOf(Operation::SaveAllPresets), Kinds{OutcomeKind::Overtime});
  EXPECT_EQ(fileLines(one), std::vector<std::string>{"kept"});
  EXPECT_EQ(fileLines(all), std::vector<std::string>{"kept"});
  EXPECT_TRUE(events.fileChoices.empty());  // neither asked for a file
  EXPECT_TRUE(sessions->timers.Timer1.isActive());

  device->faults().damagedBlockByte = 0;
  sessions->presetFiles.saveActive();
  scheduler.advanceMs(3500);
  EXPECT_EQ(events.kindsOf(Operation::SavePreset),
            (Kinds{OutcomeKind::Overtime, OutcomeKind::Saved}));
  const auto saved = fileLines(one);
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_TRUE(HasIntactFrame(saved[0]));
}

// A slot load's block carries the slot's index; one that comes late, while the user saves the
// active preset to a file, must not become that file (it would load into no device).
TEST_F(TransferSessionTest, ALateSlotBlockIsNeverSavedAsTheActivePreset) {
  connect();
  device->faults().lateByUs = 12'500'000;
  sessions->presetSlots.load(4);
  scheduler.advanceMs(12100);
  ASSERT_EQ(events.kindsOf(Operation::SlotLoad), Kinds{OutcomeKind::Overtime});
  device->faults().lateByUs = 1'000'000;  // the save's own answer comes after the slot's block
  const auto one = folder / "one.sps";
  events.filePaths = {one.string()};
  sessions->presetFiles.saveActive();
  scheduler.advanceMs(3500);
  EXPECT_EQ(events.kindsOf(Operation::SavePreset), Kinds{OutcomeKind::Saved});
  EXPECT_EQ(events.failures().size(), 1u);
  const auto saved = fileLines(one);
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_TRUE(HasIntactFrame(saved[0]));
  EXPECT_EQ(saved[0].substr(10, 4), "0028") << "index and group of the active preset";
}

TEST_F(TransferSessionTest, AFileWrittenBySaveAllLoadsBackIntoAnotherDevicesSlots) {
  connect();
  const auto path = folder / "rack.fps";
  events.filePaths.push_back(path.string());
  sessions->presetFiles.saveAll();
  scheduler.advanceMs(17000);
  ASSERT_EQ(fileLines(path).size(), 20u);
  const auto saved = device->memory().blocks;
  for (auto& block : device->memory().blocks) block.fill(0);

  events.filePaths.push_back(path.string());
  sessions->presetFiles.loadAll();
  scheduler.advanceMs(25000);
  EXPECT_TRUE(events.failures().empty());
  EXPECT_EQ(events.kindsOf(Operation::LoadAllPresets), Kinds{OutcomeKind::Loaded});
  EXPECT_EQ(device->memory().blocks, saved);
  EXPECT_TRUE(sessions->timers.Timer1.isActive());
}

TEST_F(TransferSessionTest, ASlotLoadThatTimesOutThenANameSaveThatTheDeviceTakes) {
  connect();
  device->faults().silent = true;
  sessions->presetSlots.load(4);
  EXPECT_TRUE(waitBoxShown());
  scheduler.advanceMs(12100);
  EXPECT_EQ(events.kindsOf(Operation::SlotLoad), Kinds{OutcomeKind::Overtime});
  EXPECT_FALSE(waitBoxShown());
  device->faults().silent = false;
  sessions->presetSlots.saveName(PresetSlotSession::kFirstUserSlot, "FOH left");
  scheduler.advanceMs(1500);
  EXPECT_EQ(events.kindsOf(Operation::NameSave), Kinds{OutcomeKind::Saved});
  EXPECT_EQ(device->memory().names[6], DeviceMemory::nameOf("FOH left"));
  EXPECT_EQ(sessions->image.names.shown(6), "FOH left");
}

// Seen on a real adapter: a name save that left 49 ms after a status poll. The poll's reply and
// the save's acknowledgement came in one read; the parser stopped after the status reply and
// left the acknowledgement for a notification that never came (the poll pauses for the save),
// so a name the device took was reported as a time-out.
TEST_F(TransferSessionTest, ANameSaveAcknowledgedInTheSameReadAsAPollReplyIsSaved) {
  connect();
  device->faults().gatherRepliesUs = 100'000;
  const auto polls = [&] {
    const auto& w = bus.writes("COM3");
    return std::count_if(w.begin(), w.end(), [](const SimBus::Write& x) {
      return x.bytes.size() == 12 && x.bytes[4] == command::kRead &&
             x.bytes[6] == group::kStatusRecord;
    });
  };
  const auto before = polls();
  while (polls() == before) scheduler.advanceMs(1);
  scheduler.advanceMs(20);
  sessions->presetSlots.saveName(PresetSlotSession::kFirstUserSlot + 1, "Monitor 2");
  scheduler.advanceMs(2000);
  EXPECT_EQ(events.kindsOf(Operation::NameSave), Kinds{OutcomeKind::Saved});
  EXPECT_TRUE(events.failures().empty());
  EXPECT_EQ(device->memory().names[7], DeviceMemory::nameOf("Monitor 2"));
  EXPECT_TRUE(sessions->timers.Timer1.isActive());
}

TEST_F(TransferSessionTest, NothingIsAskedOrSentWithoutALink) {
  sessions->presetFiles.saveAll();
  sessions->presetFiles.loadActive();
  sessions->presetSlots.load(1);
  sessions->presetSlots.saveName(7, "x");
  scheduler.advanceMs(20000);
  EXPECT_TRUE(events.questions.empty());
  for (Operation op : {Operation::SaveAllPresets, Operation::LoadPreset, Operation::SlotLoad,
                       Operation::NameSave})
    EXPECT_EQ(events.kindsOf(op), Kinds{OutcomeKind::NoLink});
  EXPECT_TRUE(bus.writes("COM3").empty());
}

TEST_F(TransferSessionTest, TheStartUpSearchFindsEachAnsweringDeviceOnceAndLeavesThePortClosed) {
  DeviceModel second(bus, "COM3", 5, 9u);
  DeviceModel silent(bus, "COM3", 7, 11u);
  silent.faults().silent = true;
  device->faults().answersTwice = true;  // a duplicate answer is no second device
  std::vector<int> searched;
  sessions->searchSession.run(SearchSession::kStartupSearch, [&](int p) { searched.push_back(p); });
  sessions->searchSession.finish();
  EXPECT_EQ(sessions->searchSession.hits().count(), 2);
  EXPECT_EQ(sessions->searchSession.resultLines().size(), 1u);  // one line for the port
  EXPECT_FALSE(sessions->link.PortOpen());
  EXPECT_EQ(sessions->link.PortNumber, -1);
  EXPECT_EQ(sessions->flags.Searching, 0);
  ASSERT_FALSE(searched.empty());
  EXPECT_EQ(searched.back(), 100);
  EXPECT_EQ(events.kindsOf(Operation::Search), Kinds{OutcomeKind::Done});
}

TEST_F(TransferSessionTest, ADeviceIdChangeIsAcknowledgedAndTheProgramFollowsTheDevice) {
  connect();
  int followed = 0;
  sessions->deviceIdSession.onFollowed = [&](int id) { followed = id; };
  EXPECT_EQ(sessions->deviceIdSession.change(12), DeviceIdSession::Change::Sent);
  scheduler.advanceMs(1500);
  EXPECT_EQ(followed, 12);
  EXPECT_EQ(device->deviceId(), 12);
  EXPECT_EQ(sessions->address.BusAddress, 11);
  ASSERT_EQ(events.kindsOf(Operation::DeviceIdChange), Kinds{OutcomeKind::Acknowledged});
  EXPECT_EQ(events.outcomes.back().outcome.deviceId, 12);
}

}  // namespace
}  // namespace lyra
