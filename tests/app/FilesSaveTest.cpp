// Saving presets to the PC against a simulated device: the active preset, all twenty stored
// blocks, their time-outs, and a write that fails.

#include "tests/app/PresetScenario.h"
#include "tests/storage/TempFolder.h"

namespace lyra::test {
namespace {

const std::string kOvertime = "overtime\xEF\xBC\x8Ctry again.";

class FilesSave : public PresetScenario {
 protected:
  // Stored block n carries n in a byte the program never interprets.
  void markBlocks(DeviceModel& device) {
    for (int n = 1; n <= 20; ++n) device.memory().blocks[n - 1][310] = static_cast<std::uint8_t>(n);
  }
  std::string allBlocksFile(const DeviceModel& device) const {
    std::string file;
    for (int n = 1; n <= 20; ++n) {
      file += blockText(0x00, static_cast<std::uint8_t>(n), 0x29,
                        device.memory().blocks[static_cast<std::size_t>(n - 1)]) +
              "\r\n";
    }
    return file;
  }
  TempFolder folder;
};

TEST_F(FilesSave, ThisPresetIsTheDevicesBlockAsOneCrLfLine) {
  DeviceModel& device = addDevice(1);
  device.memory().active = distinctPreset();
  startWindow();
  connectAndSettle();
  const PresetImage image = form->sessions.image;
  const auto path = folder / "mystyle.sps";
  dialogs.filePaths.push_back(path.string());

  form->areas.Button6->click();
  EXPECT_EQ(dialogs.questions.back(), "Saving a Preset to PC.Do you want\r\nto proceed?");
  scheduler.advanceMs(1000);
  EXPECT_EQ(ReadBytes(path), blockText(0x00, 0x00, 0x28, device.memory().active) + "\r\n");
  ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
  EXPECT_EQ(dialogs.fileDialogs[0].filter, "lyraphonefile(*.sps)|*.sps");
  EXPECT_EQ(dialogs.fileDialogs[0].defaultName, "mystyle");
  EXPECT_EQ(dialogs.fileDialogs[0].defaultExtension, "sps");
  EXPECT_EQ(form->sessions.image, image) << "the block goes to the file, not into the image";
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(form->sessions.timers.Timer1.isActive());
  EXPECT_TRUE(editingEnabled());
  scheduler.advanceMs(5000);
  EXPECT_TRUE(dialogs.messages.empty()) << "the time-out stays quiet once the block came";
}

// The device's block is in, and the file dialog asks 10 ms later; a load begun in between
// reuses the list of file lines. What is saved must still be the device's block: not an empty
// file after a load that failed, nor the preset of the file being loaded.
TEST_F(FilesSave, ALoadBegunBeforeTheSaveDialogAsksDoesNotChangeWhatIsSaved) {
  DeviceModel& device = addDevice(1);
  device.memory().active = distinctPreset();
  const DeviceModel& other = addDevice(5);  // only for a second, different preset
  startWindow();
  connectAndSettle();
  const std::string deviceFile = blockText(0x00, 0x00, 0x28, device.memory().active) + "\r\n";
  const auto otherFile = folder / "other.sps";
  WriteBytes(otherFile, blockText(0x00, 0x00, 0x28, other.memory().active) + "\r\n");
  ASSERT_NE(ReadBytes(otherFile), deviceFile);

  for (const auto& loaded : {folder / "none.sps", otherFile}) {
    SCOPED_TRACE(loaded.filename().string());
    const auto saved = folder / "mystyle.sps";
    std::filesystem::remove(saved);
    form->areas.Button6->click();
    ASSERT_TRUE(scheduler.advanceUntil([&] { return form->sessions.timers.FSaveDialog3.isActive(); }, 3000));
    dialogs.filePaths = {loaded.string(), saved.string()};  // the load's open, then the save
    form->areas.Button7->click();
    scheduler.advanceMs(10000);
    EXPECT_EQ(ReadBytes(saved), deviceFile);
    dialogs.messages.clear();
  }
}

TEST_F(FilesSave, ThisPresetWithoutReplyRestoresThePollAndSaysSo) {
  DeviceModel& device = addDevice(1);
  startWindow();
  connectAndSettle();
  device.faults().silent = true;
  form->areas.Button6->click();
  const std::int64_t clickedAt = scheduler.nowMs();
  EXPECT_FALSE(form->sessions.timers.Timer1.isActive());
  scheduler.advanceMs(PcFiles::kSaveActiveTimeoutMs + 100);
  ASSERT_EQ(dialogs.messageTexts(), std::vector<std::string>{kOvertime});
  EXPECT_LE(dialogs.messages[0].atMs - clickedAt, PcFiles::kSaveActiveTimeoutMs + 60);
  EXPECT_TRUE(dialogs.fileDialogs.empty());
  EXPECT_EQ(form->sessions.flags.SaveActiveToPc, 0);
  EXPECT_TRUE(form->sessions.timers.Timer1.isActive());
  EXPECT_TRUE(form->sessions.timers.sendTimer.isActive());
}

TEST_F(FilesSave, AllPresetsAreTwentyLinesInArrivalOrder) {
  DeviceModel& device = addDevice(1);
  markBlocks(device);
  startWindow();
  connectAndSettle();
  const std::size_t before = written().size();
  const auto path = folder / "myallstyle.fps";
  dialogs.filePaths.push_back(path.string());

  form->areas.Button4->click();
  EXPECT_EQ(dialogs.questions.back(), "Saving all Presets to PC.Do you\r\nwant to proceed?");
  EXPECT_TRUE(visible(waitBox()));
  EXPECT_FALSE(editingEnabled());
  scheduler.advanceMs(760);
  EXPECT_EQ(progress(), 5);
  scheduler.advanceMs(14500);

  const auto reads = framesOf(0xA2, 0x29, before);
  ASSERT_EQ(reads.size(), 20u);
  for (int n = 1; n <= 20; ++n) {
    EXPECT_EQ(reads[static_cast<std::size_t>(n - 1)].second, readStoredBlock(0x00, n));
    if (n > 1) {
      EXPECT_EQ(reads[n - 1].first - reads[n - 2].first, 700);
    }
  }
  EXPECT_EQ(ReadBytes(path), allBlocksFile(device));
  ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
  EXPECT_EQ(dialogs.fileDialogs[0].filter, "lyraphone(*.fps)|*.fps");
  EXPECT_EQ(dialogs.fileDialogs[0].defaultName, "myallstyle");
  EXPECT_EQ(dialogs.fileDialogs[0].defaultExtension, "fps");
  EXPECT_FALSE(visible(waitBox()));
  EXPECT_TRUE(editingEnabled());
  EXPECT_TRUE(form->sessions.timers.Timer1.isActive());
  EXPECT_FALSE(form->sessions.timers.Timer9.isActive());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FilesSave, AllPresetsMissingABlockAfter16sSaveNothing) {
  DeviceModel& device = addDevice(1);
  startWindow();
  connectAndSettle();
  form->areas.Button4->click();
  scheduler.advanceMs(5000);
  device.faults().silent = true;  // blocks 7..20 never come
  scheduler.advanceMs(10900);
  EXPECT_TRUE(dialogs.messages.empty());
  scheduler.advanceMs(200);
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{kOvertime});
  EXPECT_TRUE(dialogs.fileDialogs.empty());
  EXPECT_EQ(folder.entryCount(), 0u);
  EXPECT_FALSE(visible(waitBox()));
  EXPECT_TRUE(editingEnabled());
  EXPECT_TRUE(form->sessions.timers.Timer1.isActive());
}

TEST_F(FilesSave, AllPresetsFromADeviceAnsweringTwiceHoldEachBlockOnceInOrder) {
  DeviceModel& device = addDevice(1);
  markBlocks(device);
  startWindow();
  connectAndSettle();
  device.faults().answersTwice = true;  // an echoing adapter, or two devices on one ID
  const auto path = folder / "twice.fps";
  dialogs.filePaths.push_back(path.string());
  form->areas.Button4->click();
  scheduler.advanceMs(16000);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(ReadBytes(path), allBlocksFile(device));
}

TEST_F(FilesSave, RepliesLeftFromATimedOutSaveAllNeitherSaveNorSpoilTheNextOne) {
  DeviceModel& device = addDevice(1);
  markBlocks(device);
  startWindow();
  connectAndSettle();
  // Every block comes 2.5 s late: the last ones arrive after the 16 s time-out.
  device.faults().lateByUs = 2'500'000;
  form->areas.Button4->click();
  scheduler.advanceMs(16200);
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{kOvertime});
  device.faults().lateByUs = 0;

  // The late blocks of the first save come in while the second one collects.
  const auto path = folder / "second.fps";
  dialogs.filePaths.push_back(path.string());
  form->areas.Button4->click();
  scheduler.advanceMs(16000);
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{kOvertime});
  ASSERT_EQ(dialogs.fileDialogs.size(), 1u) << "the timed-out save asked for no file";
  EXPECT_EQ(ReadBytes(path), allBlocksFile(device));
  EXPECT_EQ(folder.entryCount(), 1u);
}

TEST_F(FilesSave, TheFileMenuItemsStartTheSameOperations) {
  addDevice(1);
  startWindow();
  connectAndSettle();
  for (int i = 0; i < 4; ++i) dialogs.answers.push_back(Dialogs::Answer::No);
  form->areas.savePresetAction->trigger();
  form->areas.saveAllAction->trigger();
  form->areas.loadPresetAction->trigger();
  form->areas.loadAllAction->trigger();
  EXPECT_EQ(dialogs.questions,
            (std::vector<std::string>{
                "Saving a Preset to PC.Do you want\r\nto proceed?",
                "Saving all Presets to PC.Do you\r\nwant to proceed?",
                "Loading a Preset will replace the active\r\nPreset.Do you want to proceed?",
                "Loading all Presets will overwrite all\r\npresets already stored in the "
                "unit.\r\nDo you want to proceed?"}));
  EXPECT_TRUE(dialogs.fileDialogs.empty());
}

TEST_F(FilesSave, TheFourFileOperationsDoNothingWhileDisconnected) {
  addDevice(1);
  startWindow();
  scheduler.advanceMs(3100);
  ASSERT_FALSE(form->sessions.link.PortOpen());
  // The buttons are live while disconnected: a click reaches the operation.
  for (QPushButton* b :
       {form->areas.Button6, form->areas.Button4, form->areas.Button7, form->areas.Button5}) {
    ASSERT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    b->click();
  }
  form->areas.savePresetAction->trigger();
  form->areas.saveAllAction->trigger();
  form->areas.loadPresetAction->trigger();
  form->areas.loadAllAction->trigger();
  scheduler.advanceMs(20000);
  EXPECT_TRUE(dialogs.questions.empty());
  EXPECT_TRUE(dialogs.fileDialogs.empty());
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(written().empty());
  EXPECT_FALSE(visible(waitBox()));
  EXPECT_EQ(folder.entryCount(), 0u);
  for (const NamedTimer* t : {&form->sessions.timers.Timer1, &form->sessions.timers.Timer8, &form->sessions.timers.Timer9,
                              &form->sessions.timers.Timer10, &form->sessions.timers.Timer12}) {
    EXPECT_FALSE(t->isActive()) << t->name();
  }
}

TEST_F(FilesSave, NoOrACancelledSaveDialogSendsAndSavesNothing) {
  addDevice(1);
  startWindow();
  connectAndSettle();
  std::size_t before = written().size();
  for (int i = 0; i < 4; ++i) dialogs.answers.push_back(Dialogs::Answer::No);
  form->areas.Button6->click();
  form->areas.Button4->click();
  form->areas.Button7->click();
  form->areas.Button5->click();
  ASSERT_EQ(dialogs.questions.size(), 4u);
  scheduler.advanceMs(3000);
  // Only the status poll goes on.
  const auto all = written();
  ASSERT_GT(all.size(), before);
  for (std::size_t i = before; i < all.size(); ++i) {
    EXPECT_EQ(all[i].second, statusPoll(0x00)) << "write " << i;
  }
  EXPECT_TRUE(dialogs.fileDialogs.empty());

  // "Save this preset": the block is read, then the save dialog is cancelled.
  form->areas.Button6->click();
  scheduler.advanceMs(1000);
  ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
  EXPECT_EQ(form->sessions.flags.SaveActiveToPc, 0);
  EXPECT_TRUE(form->sessions.timers.Timer1.isActive());
  EXPECT_TRUE(form->sessions.timers.sendTimer.isActive());
  // "Save all presets": twenty blocks read, then the save dialog is cancelled.
  form->areas.Button4->click();
  scheduler.advanceMs(16000);
  ASSERT_EQ(dialogs.fileDialogs.size(), 2u);
  EXPECT_TRUE(form->sessions.timers.Timer1.isActive());
  EXPECT_TRUE(form->sessions.timers.sendTimer.isActive());
  EXPECT_FALSE(visible(waitBox()));
  EXPECT_TRUE(editingEnabled());
  before = written().size();
  scheduler.advanceMs(5000);
  EXPECT_GT(written().size(), before);  // the poll runs
  EXPECT_TRUE(framesOf(command::kWrite, group::kPresetData).empty());
  EXPECT_TRUE(framesOf(command::kWrite, group::kStoredBlock).empty());
  EXPECT_EQ(folder.entryCount(), 0u);
  EXPECT_TRUE(dialogs.messages.empty());  // neither time-out speaks after a cancel
}

#ifndef _WIN32
TEST_F(FilesSave, AFailedWriteKeepsTheOldFileAndTellsTheUser) {
  DeviceModel& device = addDevice(1);
  markBlocks(device);
  startWindow();
  connectAndSettle();
  const auto path = folder / "myallstyle.fps";
  WriteBytes(path, "an older file\r\n");
  dialogs.filePaths.push_back(path.string());
  form->areas.Button4->click();
  scheduler.advanceMs(14000);
  {
    FileSizeLimit fullDisk(100);  // the 13 320 bytes do not fit
    scheduler.advanceMs(1500);
  }
  ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "The file could not be saved.");
  EXPECT_NE(dialogs.messages[0].detail.find(path.string()), std::string::npos);
  EXPECT_EQ(ReadBytes(path), "an older file\r\n");
  EXPECT_EQ(folder.entryCount(), 1u);
}
#endif

}  // namespace
}  // namespace lyra::test
