// Connecting to a simulated device through the window's controls.

#include "model/ParameterScales.h"
#include "model/ValueFormat.h"
#include "protocol/CommandFrame.h"
#include "tests/app/WindowFixture.h"

namespace lyra::test {
namespace {

class Connect : public WindowFixture {};

TEST_F(Connect, TheHandshakeReadsPresetNamesAndSystemRecordThenPollsEvery500ms) {
  DeviceModel& device = addDevice(1);
  // Main band 1 at 102 Hz (index 57), +6.0 dB (150), Q 2.2 (10): something the start-up image
  // does not hold, so the controls can only show it if it came from the device.
  const std::uint8_t row[8] = {57, 0, 150, 0, 120, 0, 10, 0};
  ASSERT_TRUE(device.memory().writeRow(0x05, 0, row));
  device.memory().names[0] = DeviceMemory::nameOf("Rock");
  startWindow();
  clickConnect();
  scheduler.advanceMs(3000);

  const auto w = written();
  ASSERT_GE(w.size(), 6u);
  EXPECT_EQ(w[0].second, readActivePreset(0x00));
  EXPECT_EQ(w[1].second, readNameTable(0x00));
  EXPECT_EQ(w[2].second, systemRecordRead(0x00));
  for (size_t i = 3; i < w.size(); ++i) {
    EXPECT_EQ(w[i].second, statusPoll(0x00)) << "frame " << i;
    if (i > 3) {
      EXPECT_EQ(w[i].first - w[i - 1].first, 500) << "frame " << i;
    }
  }
  EXPECT_TRUE(dialogs.messages.empty());

  const EqBand& band = form->sessions.image.band(ToBandSlot(Way::Main, 0));
  EXPECT_EQ(band.frequency, 57);
  EXPECT_EQ(band.peqGain, 150);
  EXPECT_EQ(band.q, 10);
  EXPECT_EQ(control<QLineEdit>("RzEdit94")->text(), "102 Hz");
  EXPECT_EQ(control<QLineEdit>("RzEdit99")->text(), "2.2");
  EXPECT_EQ(control<QLineEdit>("RzEdit106")->text(), "6.0 dB");
  EXPECT_EQ(control<QLineEdit>("edt3")->text(), "0.0 dB");  // the device's level, not "Mute"

  QComboBox* load = control<QComboBox>("RzComboBox10");
  ASSERT_EQ(load->count(), 8);
  EXPECT_EQ(load->itemText(0), "Pre0:Rock");
  EXPECT_EQ(load->currentIndex(), 0);
  EXPECT_TRUE(control<QLabel>("RzLabel14")->text().startsWith("Last loaded preset:"));

  EXPECT_TRUE(connectedCaption());
  EXPECT_EQ(form->areas.statusPanel1->text(), " Connected COM3");
  EXPECT_EQ(panel1Colour(), QColor(0, 128, 0));
  EXPECT_TRUE(form->areas.statusPanel2->text().startsWith("Internal Temperature: "));
  EXPECT_FALSE(form->areas.RzComboBox1->isEnabled());
  EXPECT_FALSE(form->areas.RzComboBox6->isEnabled());
}

TEST_F(Connect, DisconnectingStopsThePollAndShowsTheDisconnectedState) {
  addDevice(1);
  startWindow();
  EXPECT_EQ(panel1Colour(), QColor(255, 0, 0));  // red before the first connection
  clickConnect();
  scheduler.advanceMs(2500);
  clickConnect();
  scheduler.advanceMs(100);
  EXPECT_FALSE(connectedCaption());
  EXPECT_EQ(form->areas.statusPanel1->text(), " Disconnected");
  EXPECT_EQ(panel1Colour(), QColor(255, 0, 0));
  EXPECT_FALSE(form->sessions.link.PortOpen());
  const size_t frames = written().size();
  scheduler.advanceMs(3000);
  EXPECT_EQ(written().size(), frames);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(form->areas.RzComboBox1->isEnabled());
}

TEST_F(Connect, ASecondClickWithin2sIsIgnored) {
  addDevice(1);
  startWindow();
  clickConnect();
  scheduler.advanceMs(1000);
  clickConnect();  // the button is disabled: nothing happens
  scheduler.advanceMs(500);
  EXPECT_TRUE(connectedCaption());
  EXPECT_TRUE(form->sessions.link.PortOpen());
  scheduler.advanceMs(600);
  EXPECT_TRUE(form->areas.Button3->isEnabled());
}

TEST_F(Connect, TheDeviceIdListChoosesTheBusAddress) {
  addDevice(5);
  startWindow();
  form->areas.RzComboBox6->setCurrentIndex(4);
  EXPECT_EQ(form->areas.RzEdit2->text(), "5");
  clickConnect();
  scheduler.advanceMs(2000);
  ASSERT_FALSE(written().empty());
  EXPECT_EQ(written()[0].second, readActivePreset(0x04));
  EXPECT_TRUE(connectedCaption());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Connect, StartUpShowsTheMainWayAndSendsNothing) {
  addDevice(1);
  startWindow();
  EXPECT_EQ(form->editing.SelectedWay, 3);
  EXPECT_EQ(control<QLineEdit>("RzEdit94")->text(), "19.7 Hz");
  EXPECT_EQ(control<QLineEdit>("RzEdit111")->text(), "1000 Hz");
  EXPECT_EQ(control<QLineEdit>("RzEdit206")->text(), "21900 Hz");
  EXPECT_EQ(form->areas.RzComboBox1->currentText(), "COM3");
  EXPECT_TRUE(form->areas.GroupBox2->isVisibleTo(&form->window()));
  EXPECT_FALSE(form->areas.searchProgressBox->isVisibleTo(&form->window()));
  EXPECT_TRUE(written().empty());
  scheduler.advanceMs(3000);  // the start-up result gives way to the editing pages
  EXPECT_TRUE(form->areas.RzGroupBox12->isVisibleTo(&form->window()));
  EXPECT_FALSE(form->areas.searchResultBox->isVisibleTo(&form->window()));
}

}  // namespace
}  // namespace lyra::test
