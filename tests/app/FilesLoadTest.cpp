// Loading presets from the PC into a simulated device: one preset, all twenty stored blocks,
// damaged files, and a round trip from one device to another.

#include "preset/PresetUpload.h"
#include "tests/app/PresetScenario.h"
#include "tests/storage/TempFolder.h"

namespace lyra::test {
namespace {

// The simulated port's driver, recording every write the link asks of it, failed ones included:
// the bus itself keeps no record of a port that has left the system. From write failFrom on,
// every write fails the way a stalled adapter's does, and the port stays in the system.
class RecordingDriver final : public SerialDriver {
 public:
  struct Attempt {
    std::vector<std::uint8_t> bytes;
    SerialError result;
  };
  explicit RecordingDriver(std::unique_ptr<SerialDriver> port) : port_(std::move(port)) {}
  SerialError open(const std::string& path) override { return port_->open(path); }
  bool isOpen() const override { return port_->isOpen(); }
  int queuedInputBytes() override { return port_->queuedInputBytes(); }
  int read(std::uint8_t* buffer, int maxBytes) override { return port_->read(buffer, maxBytes); }
  SerialError writeAll(std::span<const std::uint8_t> bytes) override {
    const SerialError result =
        attempts.size() >= failFrom ? SerialError::Other : port_->writeAll(bytes);
    attempts.push_back({{bytes.begin(), bytes.end()}, result});
    return result;
  }
  void purge() override { port_->purge(); }
  void close() override { port_->close(); }
  Wait waitReceived() override { return port_->waitReceived(); }
  void interruptWait() override { port_->interruptWait(); }
  bool watchReceived(std::function<void()> onReceived) override {
    return port_->watchReceived(std::move(onReceived));
  }
  std::string lastErrorText() const override { return port_->lastErrorText(); }

  std::vector<Attempt> attempts;
  std::size_t failFrom = SIZE_MAX;

 private:
  std::unique_ptr<SerialDriver> port_;
};

class FilesLoad : public PresetScenario {
 protected:
  // The window's port driver records every write attempt from here on.
  RecordingDriver& recordWrites() {
    auto recording = std::make_unique<RecordingDriver>(bus.makeDriver());
    RecordingDriver& port = *recording;
    driver = std::move(recording);
    return port;
  }
  std::string write(const std::string& name, const std::string& bytes) {
    WriteBytes(folder / name, bytes);
    return (folder / name).string();
  }
  // Twenty blocks as a device at busAddress sends them, block n marked with n.
  std::vector<PresetData> markedBlocks() const {
    std::vector<PresetData> blocks;
    for (int n = 1; n <= 20; ++n) {
      blocks.push_back(distinctPreset(static_cast<std::uint8_t>(0x80 + n)));
    }
    return blocks;
  }
  std::string allPresetsFile(const std::vector<PresetData>& blocks, std::uint8_t busAddress) const {
    std::string file;
    for (std::size_t i = 0; i < blocks.size(); ++i)
      file += blockText(busAddress, static_cast<std::uint8_t>(i + 1), 0x29, blocks[i]) + "\r\n";
    return file;
  }
  std::size_t uploadsSince(std::size_t before) const {
    return framesOf(0xA1, 0x28, before).size() + framesOf(0xA1, 0x29, before).size();
  }
  TempFolder folder;
};

TEST_F(FilesLoad, APresetFromADeviceAt05LoadsIntoOneAt00InOneOrTwoLines) {
  const PresetData data = distinctPreset();
  const std::string text = blockText(0x05, 0x00, 0x28, data);
  for (const std::string& file :
       {text + "\r\n", text.substr(0, 332) + "\r\n" + text.substr(332) + "\n"}) {
    SCOPED_TRACE(file.size());
    devices.clear();
    form.reset();
    DeviceModel& device = addDevice(1);
    startWindow();
    connectAndSettle();
    const std::size_t before = written().size();
    dialogs.filePaths.push_back(write("mystyle.sps", file));

    form->areas.Button7->click();  // runs the whole load, its waits included
    EXPECT_EQ(dialogs.fileDialogs.back().filter, "lyraphonefile(*.sps)|*.sps");
    EXPECT_EQ(dialogs.fileDialogs.back().defaultName, "mystyle");
    const auto all = written();
    const auto header = BuildUploadHeader(0x00, UploadTarget::ActivePreset());
    const auto body = BuildUploadBody(text, 0x00, UploadTarget::ActivePreset());
    ASSERT_TRUE(body.has_value());
    ASSERT_EQ(all.size(), before + 2);
    EXPECT_EQ(all[before].second, Bytes(header.begin(), header.end()));
    EXPECT_EQ(all[before + 1].second, Bytes(body->begin(), body->end()));
    EXPECT_EQ(all[before + 1].first - all[before].first, 100);
    EXPECT_EQ(device.memory().active, data);
    EXPECT_EQ(form->sessions.image.band(ToBandSlot(Way::Main, 0)).frequency, 57);
    EXPECT_EQ(control<QLineEdit>("RzEdit94")->text(), "102 Hz");
    EXPECT_FALSE(visible(waitBox()));
    EXPECT_TRUE(editingEnabled());
    EXPECT_TRUE(form->sessions.timers.Timer1.isActive());
    EXPECT_GE(scheduler.nowMs() - all[before].first, 8000) << "the poll waits for the device";
    EXPECT_TRUE(dialogs.messages.empty());
  }
}

TEST_F(FilesLoad, EveryDamagedPresetFileSendsNothing) {
  addDevice(1);
  startWindow();
  connectAndSettle();
  const PresetImage image = form->sessions.image;
  const std::string good = blockText(0x00, 0x00, 0x28, distinctPreset());
  std::string withG = good;
  withG[101] = 'G';
  // One digit changed after the file was saved: the text is valid, its check byte is not.
  std::string changed = good;
  changed[101] = changed[101] == '0' ? '1' : '0';
  std::string noTrailer = good;
  noTrailer[662] = '0';
  const std::string cases[] = {"",
                               "\r\n",
                               good + "00\r\n",
                               withG + "\r\n",
                               good.substr(0, 663) + "\r\n",
                               good + "\r\n" + good + "\r\n",
                               changed + "\r\n",
                               changed.substr(0, 300) + "\r\n" + changed.substr(300) + "\r\n",
                               noTrailer + "\r\n"};
  for (const std::string& file : cases) {
    SCOPED_TRACE(file.size());
    const std::size_t before = written().size();
    const std::size_t shown = dialogs.messages.size();
    dialogs.filePaths.push_back(write("bad.sps", file));
    form->areas.Button7->click();
    scheduler.advanceMs(1000);
    ASSERT_EQ(dialogs.messages.size(), shown + 1);
    EXPECT_EQ(dialogs.messages.back().text, "File damaged.");
    EXPECT_EQ(uploadsSince(before), 0u);
    EXPECT_EQ(form->sessions.image, image);
    EXPECT_FALSE(visible(waitBox()));
  }
}

TEST_F(FilesLoad, AllPresetsGoUpAsBlocks1To20ThenTheNamesAreRead) {
  DeviceModel& device = addDevice(1);
  startWindow();
  connectAndSettle();
  const auto blocks = markedBlocks();
  const std::size_t before = written().size();
  dialogs.filePaths.push_back(write("myallstyle.fps", allPresetsFile(blocks, 0x07)));

  form->areas.Button5->click();
  EXPECT_EQ(dialogs.questions.back(),
            "Loading all Presets will overwrite all\r\npresets already stored in the "
            "unit.\r\nDo you want to proceed?");
  EXPECT_EQ(dialogs.fileDialogs.back().filter, "lyraphonefile(*.fps)|*.fps");
  EXPECT_EQ(dialogs.fileDialogs.back().defaultName, "myallstyle");
  EXPECT_TRUE(visible(waitBox()));
  // Each block goes up 1050 ms after the previous one: Timer10 restarts once its data is out.
  scheduler.advanceMs(5300);
  EXPECT_EQ(progress(), 25);
  scheduler.advanceMs(18000);

  const auto all = written();
  std::vector<std::pair<std::int64_t, Bytes>> uploads(all.begin() + static_cast<long>(before),
                                                      all.end());
  ASSERT_GE(uploads.size(), 41u);
  for (int n = 1; n <= 20; ++n) {
    const auto& header = uploads[static_cast<std::size_t>(2 * (n - 1))].second;
    const auto& body = uploads[static_cast<std::size_t>(2 * n - 1)].second;
    const auto target = UploadTarget::StoredBlock(static_cast<std::uint8_t>(n));
    const auto expectedHeader = BuildUploadHeader(0x00, target);
    EXPECT_EQ(header, Bytes(expectedHeader.begin(), expectedHeader.end())) << "block " << n;
    EXPECT_EQ(header[5], n);
    EXPECT_EQ(header[6], 0x29);
    EXPECT_EQ(body.size(), 322u);
    EXPECT_EQ(device.memory().blocks[static_cast<std::size_t>(n - 1)],
              blocks[static_cast<std::size_t>(n - 1)]);
  }
  EXPECT_EQ(uploads[40].second, readNameTable(0x00));
  EXPECT_EQ(uploads[40].first - uploads[39].first, 1000);
  EXPECT_FALSE(visible(waitBox()));
  EXPECT_TRUE(editingEnabled());
  EXPECT_TRUE(form->sessions.timers.Timer1.isActive());
  EXPECT_TRUE(form->sessions.timers.sendTimer.isActive());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FilesLoad, AnAllPresetsFileWithoutTwentyGoodLinesSendsNothing) {
  addDevice(1);
  startWindow();
  connectAndSettle();
  const auto blocks = markedBlocks();
  const std::string good = allPresetsFile(blocks, 0x00);
  const std::string line = blockText(0x00, 1, 0x29, blocks[0]) + "\r\n";
  std::string badLine = good;
  badLine[5 * 666 + 40] = 'Z';  // a pair in line 6
  // One data digit of line 12 changed: every line is a valid text, but its check byte is wrong.
  std::string changedDigit = good;
  char& digit = changedDigit[11 * 666 + 100];
  digit = digit == '0' ? '1' : '0';
  const std::string cases[] = {good.substr(0, 19 * 666), good + line, badLine, changedDigit};
  for (const std::string& file : cases) {
    const std::size_t before = written().size();
    const std::size_t shown = dialogs.messages.size();
    dialogs.filePaths.push_back(write("bad.fps", file));
    form->areas.Button5->click();
    scheduler.advanceMs(3000);
    ASSERT_EQ(dialogs.messages.size(), shown + 1);
    EXPECT_EQ(dialogs.messages.back().text, "File damaged.");
    EXPECT_EQ(uploadsSince(before), 0u);
    EXPECT_TRUE(form->sessions.timers.Timer1.isActive());
  }
  // A cancelled dialog ends quietly, with the poll running.
  const std::size_t shown = dialogs.messages.size();
  form->areas.Button5->click();
  EXPECT_EQ(dialogs.messages.size(), shown);
  EXPECT_TRUE(form->sessions.timers.Timer1.isActive());
}

TEST_F(FilesLoad, AnUploadWithoutAnOpenPortSendsAndStartsNothing) {
  addDevice(1);
  startWindow();
  ASSERT_FALSE(form->sessions.link.PortOpen());
  form->sessions.transfer.UploadText = blockText(0x00, 5, 0x29, distinctPreset());
  form->sessions.transfer.UploadCounter = 5;  // a stored block in the middle of "load all"
  form->sessions.presetExchange.upload();
  EXPECT_FALSE(form->sessions.timers.Timer10.isActive());
  scheduler.advanceMs(3000);
  EXPECT_TRUE(written().empty());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FilesLoad, APortLeavingDuringLoadAllEndsTheUploadWithoutRepeatingABlock) {
  RecordingDriver& port = recordWrites();
  addDevice(1);
  startWindow();
  connectAndSettle();
  const std::size_t before = port.attempts.size();
  dialogs.filePaths.push_back(write("myallstyle.fps", allPresetsFile(markedBlocks(), 0x00)));
  form->areas.Button5->click();
  scheduler.advanceMs(3000);
  ASSERT_FALSE(framesOf(0xA1, 0x29).empty());
  bus.removePort(kPort);  // the adapter is pulled between two blocks
  scheduler.advanceMs(25000);

  // Every block header that went out did so once; after the first failed write nothing more
  // was tried.
  std::vector<int> headers;
  std::size_t failedAt = port.attempts.size();
  for (std::size_t i = before; i < port.attempts.size(); ++i) {
    const auto& a = port.attempts[i];
    if (a.result != SerialError::None) {
      failedAt = std::min(failedAt, i);
      continue;
    }
    if (a.bytes.size() == kUploadHeaderBytes && a.bytes[6] == 0x29) headers.push_back(a.bytes[5]);
  }
  ASSERT_LT(failedAt, port.attempts.size()) << "the upload never met the missing port";
  EXPECT_EQ(failedAt, port.attempts.size() - 1) << "writes were tried after the failure";
  ASSERT_FALSE(headers.empty());
  for (std::size_t i = 0; i < headers.size(); ++i) EXPECT_EQ(headers[i], int(i) + 1);

  // The port check ended the connection; the window is back to rest.
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{"No port."});
  EXPECT_FALSE(connectedCaption());
  EXPECT_FALSE(form->sessions.link.PortOpen());
  EXPECT_FALSE(visible(waitBox()));
  EXPECT_TRUE(editingEnabled());
  EXPECT_FALSE(form->sessions.timers.Timer10.isActive());
  EXPECT_FALSE(form->sessions.timers.Timer1.isActive());
  EXPECT_FALSE(form->sessions.timers.sendTimer.isActive());
}

TEST_F(FilesLoad, AWriteThatFailsDuringLoadAllIsNotRepeatedAndTheWatchdogEndsTheConnection) {
  RecordingDriver& port = recordWrites();
  addDevice(1);
  startWindow();
  connectAndSettle();
  dialogs.filePaths.push_back(write("myallstyle.fps", allPresetsFile(markedBlocks(), 0x00)));
  form->areas.Button5->click();
  scheduler.advanceMs(3000);
  const std::size_t failed = port.attempts.size();
  port.failFrom = failed;  // the next write times out
  scheduler.advanceMs(30000);

  ASSERT_EQ(port.attempts.size(), failed + 1) << "writes were tried after the failure";
  EXPECT_NE(port.attempts.back().result, SerialError::None);
  EXPECT_EQ(dialogs.messageTexts(),
            std::vector<std::string>{
                "CONNECTION INTERRUPTED!\rPlease check data cables and reconnect."});
  EXPECT_FALSE(connectedCaption());
  EXPECT_FALSE(form->sessions.link.PortOpen());
  EXPECT_FALSE(visible(waitBox()));
  EXPECT_TRUE(editingEnabled());
  EXPECT_FALSE(form->sessions.timers.Timer10.isActive());
  EXPECT_FALSE(form->sessions.timers.Timer1.isActive());
}

TEST_F(FilesLoad, NoOrACancelledFileDialogLoadsNothing) {
  addDevice(1);
  startWindow();
  connectAndSettle();
  const PresetImage image = form->sessions.image;
  const std::size_t before = written().size();
  dialogs.answers = {Dialogs::Answer::No, Dialogs::Answer::No};
  form->areas.Button7->click();
  form->areas.Button5->click();
  EXPECT_EQ(dialogs.questions.size(), 2u);
  EXPECT_TRUE(dialogs.fileDialogs.empty());

  // Yes, then no file chosen.
  form->areas.Button7->click();
  ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
  EXPECT_TRUE(form->sessions.timers.Timer1.isActive());
  form->sessions.timers.Timer1.stop();  // "load all" starts the poll again after its dialog
  form->areas.Button5->click();
  ASSERT_EQ(dialogs.fileDialogs.size(), 2u);
  EXPECT_TRUE(form->sessions.timers.Timer1.isActive());
  EXPECT_FALSE(form->sessions.timers.Timer10.isActive());
  scheduler.advanceMs(5000);
  EXPECT_EQ(uploadsSince(before), 0u);
  EXPECT_FALSE(framesOf(command::kRead, group::kStatusRecord, before).empty());  // still polled
  EXPECT_EQ(form->sessions.image, image);
  EXPECT_FALSE(visible(waitBox()));
  EXPECT_TRUE(editingEnabled());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FilesLoad, StoredBlocksSurviveSaveAllLoadAllIntoAnotherDeviceAndSaveAllAgain) {
  DeviceModel& first = addDevice(1);
  const auto blocks = markedBlocks();
  for (std::size_t i = 0; i < blocks.size(); ++i) first.memory().blocks[i] = blocks[i];
  startWindow();
  connectAndSettle();
  const auto saved = folder / "first.fps";
  dialogs.filePaths.push_back(saved.string());
  form->areas.Button4->click();
  scheduler.advanceMs(16000);
  ASSERT_EQ(ReadBytes(saved).size(), 20u * 666u);

  // Another device takes the first one's place on the bus.
  devices.clear();
  DeviceModel& second = addDevice(1);
  dialogs.filePaths.push_back(saved.string());
  form->areas.Button5->click();
  scheduler.advanceMs(24000);
  for (std::size_t i = 0; i < blocks.size(); ++i) EXPECT_EQ(second.memory().blocks[i], blocks[i]);

  const auto again = folder / "second.fps";
  dialogs.filePaths.push_back(again.string());
  form->areas.Button4->click();
  scheduler.advanceMs(16000);
  EXPECT_EQ(ReadBytes(again), ReadBytes(saved));
  EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace lyra::test
