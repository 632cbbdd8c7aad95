// How each device session ends, as the outcome it reports to its front end: the successes, the
// user's cancel, and each failure, in virtual time against simulated devices, with a front end
// whose boxes stay up while the clock runs.

#include <gtest/gtest.h>

#include "sessions/DeviceSessions.h"
#include "sim/DeviceModel.h"
#include "sim/SimBus.h"
#include "storage/PresetFiles.h"
#include "tests/storage/TempFolder.h"
#include "tests/support/ScriptedEvents.h"
#include "timing/VirtualScheduler.h"

namespace lyra {
namespace {

using Kinds = std::vector<OutcomeKind>;

class OutcomeTest : public ::testing::Test {
 protected:
  OutcomeTest() {
    bus.addPort("COM3");
    events.scheduler = &scheduler;
    sessions = std::make_unique<DeviceSessions>(scheduler, *driver, *ports, events);
    sessions->connectSession.onFailed = [this] {
      ++disconnects;
      sessions->connectSession.end();
    };
    sessions->timers.brocar1.start();
  }
  ~OutcomeTest() override {
    sessions.reset();
    device.reset();
  }
  ConnectSession::Started connect() {
    const auto started = sessions->connectSession.start(sessions->portList.selectedEntry(),
                                                        sessions->portList.selectedPortNumber());
    scheduler.advanceMs(3000);
    return started;
  }
  // The outcome of operation, when it reported exactly one.
  Outcome only(Operation operation) const {
    Outcome found{operation, OutcomeKind::NoLink};
    int count = 0;
    for (const auto& e : events.outcomes) {
      if (e.outcome.operation != operation) continue;
      found = e.outcome;
      ++count;
    }
    EXPECT_EQ(count, 1) << "operation " << static_cast<int>(operation);
    return found;
  }
  std::string writeFile(const std::string& name, const std::vector<std::string>& lines) {
    const auto path = (folder / name).string();
    EXPECT_FALSE(WriteTextLines(path, lines));
    return path;
  }

  VirtualScheduler scheduler;
  SimBus bus{scheduler};
  std::unique_ptr<SerialDriver> driver = bus.makeDriver();
  std::unique_ptr<PortSource> ports = bus.makePortSource();
  test::ScriptedEvents events;
  std::unique_ptr<DeviceModel> device = std::make_unique<DeviceModel>(bus, "COM3", 1, 3u);
  std::unique_ptr<DeviceSessions> sessions;
  test::TempFolder folder;
  int disconnects = 0;
};

TEST_F(OutcomeTest, ASilentLinkIsInterruptedAndALeavingPortIsLostEachOnceAfterTheDisconnect) {
  ASSERT_EQ(connect(), ConnectSession::Started::Handshake);
  ASSERT_EQ(events.kindsOf(Operation::Connect), Kinds{OutcomeKind::Linked});
  device->faults().silent = true;
  scheduler.advanceMs(5000);
  EXPECT_EQ(events.kindsOf(Operation::Connect),
            (Kinds{OutcomeKind::Linked, OutcomeKind::LinkInterrupted}));
  EXPECT_EQ(disconnects, 1);
  EXPECT_FALSE(sessions->link.PortOpen()) << "disconnected before the outcome";

  device->faults().silent = false;
  events.outcomes.clear();
  ASSERT_EQ(connect(), ConnectSession::Started::Handshake);
  bus.removePort("COM3");
  scheduler.advanceMs(5000);
  EXPECT_EQ(events.kindsOf(Operation::Connect), (Kinds{OutcomeKind::Linked, OutcomeKind::PortLost}));
  EXPECT_EQ(disconnects, 2);
}

TEST_F(OutcomeTest, APresetFileIsSavedWithItsPathOrItsWriteFailsWithTheSystemsReason) {
  ASSERT_EQ(connect(), ConnectSession::Started::Handshake);
  const auto path = (folder / "one.sps").string();
  events.filePaths = {path};
  sessions->presetFiles.saveActive();
  scheduler.advanceMs(3500);
  EXPECT_EQ(events.questions, std::vector<Question>{Question::SavePresetToPc});
  EXPECT_EQ(events.fileChoices, std::vector<FileChoice>{FileChoice::SavePreset});
  const Outcome saved = only(Operation::SavePreset);
  EXPECT_EQ(saved.kind, OutcomeKind::Saved);
  EXPECT_EQ(saved.path, path);

  events.outcomes.clear();
  const auto nowhere = (folder / "no such folder" / "one.sps").string();
  events.filePaths = {nowhere};
  sessions->presetFiles.saveActive();
  scheduler.advanceMs(3500);
  const Outcome failed = only(Operation::SavePreset);
  EXPECT_EQ(failed.kind, OutcomeKind::WriteFailed);
  EXPECT_EQ(failed.path, nowhere);
  EXPECT_FALSE(failed.systemText.empty());

  // No: nothing is asked of the device. No file chosen: the block came, nothing is written.
  events.outcomes.clear();
  events.answers = {false};
  const auto writes = bus.writes("COM3").size();
  sessions->presetFiles.saveActive();
  EXPECT_EQ(only(Operation::SavePreset).kind, OutcomeKind::Cancelled);
  scheduler.advanceMs(400);
  EXPECT_LE(bus.writes("COM3").size(), writes + 1) << "at most the poll went out";
  events.outcomes.clear();
  sessions->presetFiles.saveAll();
  scheduler.advanceMs(17000);
  EXPECT_EQ(only(Operation::SaveAllPresets).kind, OutcomeKind::Cancelled);
}

TEST_F(OutcomeTest, AFileThatCannotBeLoadedSaysWhyAndSendsNothing) {
  ASSERT_EQ(connect(), ConnectSession::Started::Handshake);
  const auto damaged = writeFile("damaged.sps", {"00112233"});
  const auto empty = writeFile("empty.fps", {});
  const auto missing = (folder / "missing.sps").string();
  const auto notAFile = folder.path().string();

  events.filePaths = {damaged, missing, notAFile, std::nullopt};
  for (int i = 0; i < 4; ++i) {
    sessions->presetFiles.loadActive();
    scheduler.advanceMs(100);
  }
  EXPECT_EQ(events.kindsOf(Operation::LoadPreset),
            (Kinds{OutcomeKind::FileDamaged, OutcomeKind::ReadFailed, OutcomeKind::NotAPresetFile,
                   OutcomeKind::Cancelled}));
  const auto& o = events.outcomes;
  EXPECT_EQ(o[o.size() - 4].outcome.path, damaged);
  EXPECT_EQ(o[o.size() - 3].outcome.path, missing);
  EXPECT_FALSE(o[o.size() - 3].outcome.systemText.empty());
  EXPECT_EQ(o[o.size() - 2].outcome.path, notAFile);

  events.filePaths = {damaged, empty};
  sessions->presetFiles.loadAll();
  sessions->presetFiles.loadAll();
  EXPECT_EQ(events.kindsOf(Operation::LoadAllPresets),
            (Kinds{OutcomeKind::FileDamaged, OutcomeKind::EmptyFile}));
  EXPECT_TRUE(events.progressSteps.empty()) << "no wait box for a file that was not loaded";
  scheduler.advanceMs(3000);
  EXPECT_TRUE(sessions->timers.Timer1.isActive()) << "the poll runs again";
}

TEST_F(OutcomeTest, ANameSaveTheDeviceDoesNotAcknowledgeIsOvertimeOnce) {
  ASSERT_EQ(connect(), ConnectSession::Started::Handshake);
  device->faults().silent = true;
  sessions->presetSlots.saveName(PresetSlotSession::kFirstUserSlot, "Stage");
  scheduler.advanceMs(1600);
  EXPECT_EQ(events.kindsOf(Operation::NameSave), Kinds{OutcomeKind::Overtime});
}

TEST_F(OutcomeTest, ADeviceIdInUseIsRefusedWithTheIdAndNothingIsSent) {
  DeviceModel other(bus, "COM3", 5, 9u);
  ASSERT_EQ(connect(), ConnectSession::Started::Handshake);
  EXPECT_EQ(sessions->deviceIdSession.change(5), DeviceIdSession::Change::InUse);
  const Outcome refused = only(Operation::DeviceIdChange);
  EXPECT_EQ(refused.kind, OutcomeKind::DeviceIdInUse);
  EXPECT_EQ(refused.deviceId, 5);
  scheduler.advanceMs(1500);
  EXPECT_EQ(device->deviceId(), 1);
  EXPECT_EQ(events.kindsOf(Operation::DeviceIdChange), Kinds{OutcomeKind::DeviceIdInUse});

  sessions->connectSession.end();
  events.outcomes.clear();
  EXPECT_EQ(sessions->deviceIdSession.change(7), DeviceIdSession::Change::NoLink);
  EXPECT_EQ(only(Operation::DeviceIdChange).kind, OutcomeKind::NoLink);
}

TEST_F(OutcomeTest, GroupDataFromADeviceIsSentOrTheSilentSourceIsNoAnswer) {
  sessions->address.BroadcastMode = true;
  sessions->address.BusAddress = kBroadcastAddress;
  ASSERT_EQ(connect(), ConnectSession::Started::Broadcast);
  EXPECT_EQ(events.kindsOf(Operation::Connect), Kinds{OutcomeKind::Linked});
  sessions->groupData.fromDevice(1);
  scheduler.advanceMs(20000);
  EXPECT_EQ(events.kindsOf(Operation::GroupData), Kinds{OutcomeKind::Sent});

  events.outcomes.clear();
  sessions->groupData.fromDevice(9);  // nobody there
  scheduler.advanceMs(20000);
  EXPECT_EQ(events.kindsOf(Operation::GroupData), Kinds{OutcomeKind::NoAnswer});

  events.outcomes.clear();
  events.filePaths = {writeFile("damaged.sps", {"00112233"}), std::nullopt};
  sessions->groupData.fromFile();
  sessions->groupData.fromFile();
  EXPECT_EQ(events.kindsOf(Operation::GroupData),
            (Kinds{OutcomeKind::FileDamaged, OutcomeKind::Cancelled}));
}

// The port leaves while the question of a save is up: the link's end is reported once, and the
// save that was confirmed on a link that no longer exists ends as well, with no file.
TEST_F(OutcomeTest, APortLostUnderASaveQuestionEndsTheLinkOnceAndTheSaveWithoutAFile) {
  ASSERT_EQ(connect(), ConnectSession::Started::Handshake);
  events.thinkMs = 3500;
  events.filePaths = {(folder / "rack.fps").string()};
  scheduler.post(1000, [this] { bus.removePort("COM3"); });
  sessions->presetFiles.saveAll();
  events.thinkMs = 0;
  scheduler.advanceMs(20000);
  const auto link = events.kindsOf(Operation::Connect);
  ASSERT_EQ(link.size(), 2u);
  // The watchdog or the port check, whichever notices first.
  EXPECT_TRUE(link[1] == OutcomeKind::PortLost || link[1] == OutcomeKind::LinkInterrupted)
      << static_cast<int>(link[1]);
  const auto save = events.kindsOf(Operation::SaveAllPresets);
  ASSERT_EQ(save.size(), 1u);
  // Confirmed on a link that ended under the question, the collection hears nothing and ends at
  // its own time-out; no file is asked for.
  EXPECT_EQ(save[0], OutcomeKind::Overtime);
  EXPECT_TRUE(events.fileChoices.empty());
  EXPECT_FALSE(std::filesystem::exists(folder / "rack.fps"));
}

}  // namespace
}  // namespace lyra
