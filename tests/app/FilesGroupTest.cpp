// Initial data for a group in BroadcastMode: one preset from a file or from one device reaches
// every simulated device on the bus.

#include "tests/app/PresetScenario.h"
#include "tests/storage/TempFolder.h"

namespace lyra::test {
namespace {

class FilesGroup : public PresetScenario {
 protected:
  void SetUp() override {
    for (int id = 1; id <= 3; ++id) addDevice(id);
    startWindow();
  }
  void connectInBroadcastMode() {
    form->sessions.address.BroadcastMode = true;
    form->sessions.address.BusAddress = kBroadcastAddress;
    clickConnect();
    scheduler.advanceMs(100);
    ASSERT_TRUE(connectedCaption());
    ASSERT_TRUE(visible(initialDataBox()));
  }
  QWidget* initialDataBox() const { return form->areas.initialDataBox; }
  TempFolder folder;
};

TEST_F(FilesGroup, APresetFileReachesEveryDeviceOnTheBus) {
  connectInBroadcastMode();
  const PresetData data = distinctPreset();
  const auto path = folder / "mystyle.sps";
  WriteBytes(path, blockText(0x02, 0x00, 0x28, data) + "\r\n");
  dialogs.filePaths.push_back(path.string());
  const std::size_t before = written().size();

  form->areas.Button11->click();  // runs the uploads, its waits included
  EXPECT_EQ(dialogs.fileDialogs.back().filter, "lyraphonefile(*.sps)|*.sps");
  const auto headers = framesOf(0xA1, 0x28, before);
  ASSERT_EQ(headers.size(), 2u);
  for (const auto& h : headers) EXPECT_EQ(h.second[3], kBroadcastAddress);
  for (const auto& d : devices) EXPECT_EQ(d->memory().active, data) << "device " << d->deviceId();
  EXPECT_EQ(form->sessions.image.band(ToBandSlot(Way::Main, 0)).frequency, 57);
  EXPECT_TRUE(visible(waitBox()));
  scheduler.advanceMs(1000);
  EXPECT_EQ(progress(), 100);
  EXPECT_FALSE(visible(waitBox()));
  EXPECT_FALSE(visible(initialDataBox()));
  EXPECT_TRUE(visible(form->areas.RzGroupBox12));
  EXPECT_TRUE(editingEnabled());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FilesGroup, ADamagedOrEmptyFileKeepsTheBox) {
  connectInBroadcastMode();
  const std::size_t before = written().size();
  WriteBytes(folder / "bad.sps", std::string(664, 'G') + "\r\n");
  dialogs.filePaths.push_back((folder / "bad.sps").string());
  form->areas.Button11->click();
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{"File damaged."});
  // One digit changed after the file was saved: never sent to the whole bus.
  std::string changed = blockText(0x00, 0x00, 0x28, distinctPreset());
  changed[120] = changed[120] == '0' ? '1' : '0';
  WriteBytes(folder / "changed.sps", changed + "\r\n");
  dialogs.filePaths.push_back((folder / "changed.sps").string());
  form->areas.Button11->click();
  EXPECT_EQ(dialogs.messageTexts(), (std::vector<std::string>{"File damaged.", "File damaged."}));
  WriteBytes(folder / "empty.sps", "");
  dialogs.filePaths.push_back((folder / "empty.sps").string());
  form->areas.Button11->click();
  form->areas.Button11->click();  // cancelled
  scheduler.advanceMs(2000);
  EXPECT_EQ(dialogs.messages.size(), 2u);
  EXPECT_TRUE(visible(initialDataBox()));
  EXPECT_TRUE(framesOf(0xA1, 0x28, before).empty());
}

TEST_F(FilesGroup, OneDevicesBlockReachesTheOthers) {
  devices[1]->memory().active = distinctPreset();
  connectInBroadcastMode();
  const std::size_t before = written().size();
  form->areas.RzEdit3->setText("2");
  form->areas.Button10->click();
  EXPECT_EQ(written().back().second, readActivePreset(0x01));
  EXPECT_FALSE(visible(initialDataBox()));
  EXPECT_TRUE(visible(waitBox()));
  scheduler.advanceMs(6100);
  for (const auto& d : devices) EXPECT_EQ(d->memory().active, distinctPreset()) << d->deviceId();
  EXPECT_EQ(framesOf(0xA1, 0x28, before).size(), 2u);
  EXPECT_EQ(form->sessions.image.band(ToBandSlot(Way::Main, 0)).frequency, 57);
  EXPECT_EQ(progress(), 100);
  EXPECT_FALSE(visible(waitBox()));
  EXPECT_FALSE(visible(initialDataBox()));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FilesGroup, ASilentSourceShowsItsMessageAfter1500msAndTheBoxAgain) {
  connectInBroadcastMode();
  const std::size_t before = written().size();
  form->areas.RzEdit3->setText("9");  // nobody there
  form->areas.Button10->click();
  const std::int64_t clickedAt = scheduler.nowMs();
  scheduler.advanceMs(1400);
  EXPECT_TRUE(dialogs.messages.empty());
  scheduler.advanceMs(200);
  ASSERT_EQ(dialogs.messageTexts(),
            std::vector<std::string>{
                "The device ID no response, please try again or check the ID is correct."});
  EXPECT_EQ(dialogs.messages[0].atMs - clickedAt, 1500);
  EXPECT_TRUE(visible(initialDataBox()));
  EXPECT_FALSE(visible(form->areas.RzGroupBox12));
  EXPECT_FALSE(visible(waitBox()));
  scheduler.advanceMs(6000);
  EXPECT_TRUE(framesOf(0xA1, 0x28, before).empty());
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

// A source that answers after its time is up: its block comes while the user copies from
// another device, and only that device's block may go to the group.
TEST_F(FilesGroup, ALateBlockOfAnEarlierSourceIsNotSentAsTheNewSourcesBlock) {
  devices[1]->memory().active = distinctPreset();
  ASSERT_NE(devices[2]->memory().active, distinctPreset());
  connectInBroadcastMode();
  devices[2]->faults().lateByUs = 1'600'000;
  form->areas.RzEdit3->setText("3");
  form->areas.Button10->click();
  scheduler.advanceMs(1500);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  devices[1]->faults().lateByUs = 500'000;
  form->areas.RzEdit3->setText("2");
  form->areas.Button10->click();
  scheduler.advanceMs(7000);
  for (const auto& d : devices) EXPECT_EQ(d->memory().active, distinctPreset()) << d->deviceId();
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(FilesGroup, ASourceBlockDamagedOnTheLineIsNeverSentToTheGroup) {
  connectInBroadcastMode();
  const std::size_t before = written().size();
  devices[2]->faults().damagedBlockByte = 100;  // a data byte: the header still reads right
  form->areas.RzEdit3->setText("3");
  form->areas.Button10->click();
  scheduler.advanceMs(1600);
  ASSERT_EQ(dialogs.messageTexts(),
            std::vector<std::string>{
                "The device ID no response, please try again or check the ID is correct."});
  scheduler.advanceMs(6000);
  EXPECT_TRUE(framesOf(0xA1, 0x28, before).empty());
  EXPECT_TRUE(visible(initialDataBox()));
}

TEST_F(FilesGroup, TheIdFieldTakesOnly1To255) {
  connectInBroadcastMode();
  form->areas.RzEdit3->setText("3");
  form->areas.Button10->click();
  scheduler.advanceMs(7000);  // 3 is accepted and copied
  form->areas.initialDataBox->show();
  for (const char* bad : {"0", "256", ""}) {
    form->areas.RzEdit3->setText(bad);
    form->areas.Button10->click();
    EXPECT_EQ(dialogs.messages.back().text, "Please input 1~255 number.");
    EXPECT_EQ(form->areas.RzEdit3->text(), "3") << bad;
  }
}

TEST_F(FilesGroup, TheBoxsCloseButtonDisconnects) {
  connectInBroadcastMode();
  form->areas.initialDataClose->click();
  scheduler.advanceMs(100);
  EXPECT_FALSE(connectedCaption());
  EXPECT_FALSE(form->sessions.link.PortOpen());
  EXPECT_FALSE(visible(initialDataBox()));
}

}  // namespace
}  // namespace lyra::test
