// Level, mute, polarity and delay of the system and the satellite output, driven through their
// controls, with the channel frames that reach the simulated device; and the device keeping what
// the program sent.

#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

#include "editing/Controls.h"
#include "tests/app/EditingFixture.h"

namespace lyra::test {
namespace {

class EditingLevels : public EditingFixture {
 protected:
  EditingLevels() {
    // System level 0.0 dB, no delay; the satellite at 0.0 dB, sounding, no delay.
    EXPECT_TRUE(device.memory().writeRow(
        0x03, 0, std::array<std::uint8_t, 8>{0, 0, 0x2D, 0x01, 0, 0, 0, 0}));
    EXPECT_TRUE(
        device.memory().writeRow(0x00, 0, std::array<std::uint8_t, 8>{200, 1, 0, 0, 0, 0, 0, 0}));
  }
  QSlider* systemSlider() const { return control<QSlider>("TrackBar1"); }
  QPushButton* button(const char* name) const { return control<QPushButton>(name); }
  // The Main channel frame's level and delay bytes as the image holds them now.
  static Frame mainFrame(std::uint16_t level, std::uint16_t delay, std::uint8_t polarity = 0) {
    return write(
        0x03, 0,
        {0, 0, LowByte(level), HighByte(level), LowByte(delay), HighByte(delay), polarity, 0});
  }
  static Frame highFrame(std::uint8_t level, std::uint8_t unmuted, std::uint16_t delay,
                         std::uint8_t polarity = 0) {
    return write(0x00, 0, {level, unmuted, LowByte(delay), HighByte(delay), polarity, 0, 0, 0});
  }
};

TEST_F(EditingLevels, TheSystemSliderAtItsEndMutesAndAtTheTopIsZeroDecibels) {
  connect();
  ASSERT_EQ(systemSlider()->value(), 0);
  systemSlider()->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(edit("edt3")->text(), "Mute");
  EXPECT_EQ(control<QLabel>("Label1")->text(), "Mute");
  EXPECT_EQ(ui::buttonColour(button("btn1")), QColor(255, 0, 0));
  EXPECT_EQ(sentWrites(), std::vector<Frame>{mainFrame(0, 0)});
  systemSlider()->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(edit("edt3")->text(), "0.0 dB");
  EXPECT_EQ(ui::buttonColour(button("btn1")), QColor(224, 224, 224));
  EXPECT_EQ(sentWrites(), std::vector<Frame>{mainFrame(301, 0)});
}

TEST_F(EditingLevels, TypedSystemLevelMovesTheSliderClampsAndNeverMutes) {
  connect();
  typeAndEnter(edit("edt3"), "-3");
  EXPECT_EQ(systemSlider()->value(), 15);
  EXPECT_EQ(edit("edt3")->text(), "-3.0 dB");
  EXPECT_EQ(sentWrites(), std::vector<Frame>{mainFrame(286, 0)});  // 0x1E 0x01
  typeAndLeave(edit("edt3"), "10");
  EXPECT_EQ(systemSlider()->value(), 0);
  EXPECT_EQ(edit("edt3")->text(), "0.0 dB");
  typeAndEnter(edit("edt3"), "-80");
  EXPECT_EQ(systemSlider()->value(), 300);
  EXPECT_EQ(edit("edt3")->text(), "-60.0 dB");
  EXPECT_EQ(form->sessions.image.main.systemLevel, 1);
  // A key typed into a text that is no number replaces the whole text.
  edit("edt3")->setFocus(Qt::TabFocusReason);
  edit("edt3")->end(false);
  QTest::keyClicks(edit("edt3"), "-6");
  EXPECT_EQ(edit("edt3")->text(), "-6");
}

TEST_F(EditingLevels, TextThatIsNoLevelBringsBackTheShownLevelAndSendsNothing) {
  connect();
  QLineEdit* system = edit("edt3");
  typeAndEnter(system, "-3");
  ASSERT_EQ(sentWrites(), std::vector<Frame>{mainFrame(286, 0)});
  // An emptied text, and a pasted one that still carries its unit.
  QTest::mouseClick(system, Qt::LeftButton);
  QTest::keyClick(system, Qt::Key_Backspace);
  ASSERT_EQ(system->text(), "");
  QTest::keyClick(system, Qt::Key_Return);
  EXPECT_EQ(system->text(), "-3.0 dB");
  QTest::mouseClick(system, Qt::LeftButton);
  QApplication::clipboard()->setText("-6 dB");
  QTest::keyClick(system, Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(system->text(), "-6 dB");
  QTest::keyClick(system, Qt::Key_Return);
  EXPECT_EQ(system->text(), "-3.0 dB");
  EXPECT_EQ(control<QLabel>("Label1")->text(), "-3.0 dB");
  EXPECT_EQ(systemSlider()->value(), 15);
  EXPECT_EQ(form->sessions.image.main.systemLevel, 286);
  EXPECT_TRUE(sentWrites().empty());

  // Muted, the edit comes back as "Mute", and stays muted.
  QTest::mouseClick(button("btn1"), Qt::LeftButton);
  ASSERT_EQ(sentWrites(), std::vector<Frame>{mainFrame(0, 0)});
  typeAndEnter(system, ".");
  EXPECT_EQ(system->text(), "Mute");
  EXPECT_EQ(systemSlider()->value(), 301);
  EXPECT_EQ(form->sessions.image.main.systemLevel, 0);
  EXPECT_TRUE(sentWrites().empty());

  QLineEdit* satellite = edit("edt2");
  typeAndEnter(satellite, "-6");
  ASSERT_EQ(sentWrites(), std::vector<Frame>{highFrame(140, 1, 0)});
  QTest::mouseClick(satellite, Qt::LeftButton);
  QTest::keyClick(satellite, Qt::Key_Backspace);
  QTest::keyClick(satellite, Qt::Key_Return);
  EXPECT_EQ(satellite->text(), "-6.0 dB");
  typeAndLeave(satellite, "-.");
  EXPECT_EQ(satellite->text(), "-6.0 dB");
  EXPECT_EQ(control<QLabel>("lbl6")->text(), "-6.0 dB");
  EXPECT_EQ(control<QSlider>("trckbr1")->value(), 140);
  EXPECT_TRUE(sentWrites().empty());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(EditingLevels, MuteTwiceBringsBackTheLevelItSilenced) {
  connect();
  typeAndEnter(edit("edt3"), "-3");
  sentWrites();
  QTest::mouseClick(button("btn1"), Qt::LeftButton);
  EXPECT_EQ(systemSlider()->value(), 301);
  EXPECT_EQ(edit("edt3")->text(), "Mute");
  EXPECT_EQ(ui::buttonColour(button("btn1")), QColor(255, 0, 0));
  EXPECT_EQ(sentWrites(), std::vector<Frame>{mainFrame(0, 0)});
  QTest::mouseClick(button("btn1"), Qt::LeftButton);
  EXPECT_EQ(systemSlider()->value(), 15);
  EXPECT_EQ(edit("edt3")->text(), "-3.0 dB");
  EXPECT_EQ(ui::buttonColour(button("btn1")), QColor(224, 224, 224));
  EXPECT_EQ(sentWrites(), std::vector<Frame>{mainFrame(286, 0)});
  // Muted by the slider itself, there is nothing to come back to: Mute stays muted.
  systemSlider()->triggerAction(QAbstractSlider::SliderToMaximum);
  QTest::mouseClick(button("btn1"), Qt::LeftButton);
  EXPECT_EQ(systemSlider()->value(), 301);
  EXPECT_EQ(form->sessions.image.main.systemLevel, 0);
}

TEST_F(EditingLevels, PolarityButtonsToggleCaptionColourAndByte) {
  connect();
  QTest::mouseClick(button("RzButton6"), Qt::LeftButton);
  EXPECT_EQ(button("RzButton6")->text(), "Pol(-)");
  EXPECT_EQ(ui::buttonColour(button("RzButton6")), QColor(255, 255, 0));
  QTest::mouseClick(button("btn2"), Qt::LeftButton);
  EXPECT_EQ(button("btn2")->text(), "Pol(-)");
  EXPECT_EQ(sentWrites(), (std::vector<Frame>{highFrame(200, 1, 0, 1), mainFrame(301, 0, 1)}));
  QTest::mouseClick(button("RzButton6"), Qt::LeftButton);
  EXPECT_EQ(button("RzButton6")->text(), "Pol(+)");
  EXPECT_EQ(ui::buttonColour(button("RzButton6")), QColor(224, 224, 224));
}

TEST_F(EditingLevels, SatelliteLevelTypedClampedAndMuted) {
  connect();
  typeAndEnter(edit("edt2"), "7");
  EXPECT_EQ(edit("edt2")->text(), "5.0 dB");
  EXPECT_EQ(control<QSlider>("trckbr1")->value(), 250);
  EXPECT_EQ(sentWrites(), std::vector<Frame>{highFrame(250, 1, 0)});
  typeAndLeave(edit("edt2"), "-25");
  EXPECT_EQ(edit("edt2")->text(), "-20.0 dB");
  EXPECT_EQ(control<QSlider>("trckbr1")->value(), 0);
  typeAndEnter(edit("edt2"), "-19.8");  // on the 0.1 dB grid: exactly two steps up
  EXPECT_EQ(edit("edt2")->text(), "-19.8 dB");
  sentWrites();
  QTest::mouseClick(button("btn3"), Qt::LeftButton);
  EXPECT_EQ(ui::buttonColour(button("btn3")), QColor(255, 0, 0));
  EXPECT_EQ(sentWrites(), std::vector<Frame>{highFrame(2, 0, 0)});
  QTest::mouseClick(button("btn3"), Qt::LeftButton);
  EXPECT_EQ(sentWrites(), std::vector<Frame>{highFrame(2, 1, 0)});
}

TEST_F(EditingLevels, TypedSystemDelayIsTruncatedToStepsAndShownInThreeUnits) {
  connect();
  typeAndEnter(edit("RzEdit18"), "1.05");
  EXPECT_EQ(control<QScrollBar>("ScrollBar1")->value(), 50);
  EXPECT_EQ(edit("RzEdit18")->text(), "1.050 ms");
  EXPECT_EQ(control<QLabel>("RzLabel3")->text(), "0.362 m");
  EXPECT_EQ(control<QLabel>("RzLabel20")->text(), "1.187 ft");
  EXPECT_EQ(sentWrites(), std::vector<Frame>{mainFrame(301, 50)});  // 0x32 0x00
  typeAndLeave(edit("RzEdit18"), "9");
  EXPECT_EQ(edit("RzEdit18")->text(), "8.547 ms");
  EXPECT_EQ(sentWrites(), std::vector<Frame>{mainFrame(301, 407)});  // 0x97 0x01
  typeAndEnter(edit("RzEdit18"), "-0,02");  // "-" is dropped, "," is a point: 0.02 ms
  EXPECT_EQ(edit("RzEdit18")->text(), "0.000 ms");
  EXPECT_EQ(form->sessions.image.way(Way::Main).delaySteps, 0);
  typeAndEnter(edit("RzEdit18"), "0.567");
  EXPECT_EQ(form->sessions.image.way(Way::Main).delaySteps, 27);
  EXPECT_EQ(edit("RzEdit18")->text(), "0.567 ms");
}

TEST_F(EditingLevels, TextThatIsNoDelayBringsBackTheLastAcceptedMilliseconds) {
  connect();
  QLineEdit* system = edit("RzEdit18");
  typeAndEnter(system, "1.05");
  ASSERT_EQ(sentWrites(), std::vector<Frame>{mainFrame(301, 50)});
  QTest::mouseClick(system, Qt::LeftButton);
  QApplication::clipboard()->setText("1.0 ms");
  QTest::keyClick(system, Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(system->text(), "1.0 ms");
  QTest::keyClick(system, Qt::Key_Return);
  EXPECT_EQ(system->text(), "1.050 ms");
  EXPECT_EQ(control<QLabel>("lbl9")->text(), "1.050 ms");
  typeAndLeave(system, ".");
  EXPECT_EQ(system->text(), "1.050 ms");
  EXPECT_EQ(form->sessions.image.way(Way::Main).delaySteps, 50);
  EXPECT_EQ(control<QScrollBar>("ScrollBar1")->value(), 50);
  EXPECT_TRUE(sentWrites().empty());

  QLineEdit* satellite = edit("edt1");
  typeAndEnter(satellite, "2");
  ASSERT_EQ(sentWrites(), std::vector<Frame>{highFrame(200, 1, 95)});
  QTest::mouseClick(satellite, Qt::LeftButton);
  QApplication::clipboard()->setText("2 ms");
  QTest::keyClick(satellite, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(satellite, Qt::Key_Return);
  EXPECT_EQ(satellite->text(), "1.995 ms");
  EXPECT_EQ(control<QLabel>("lbl4")->text(), "1.995 ms");
  EXPECT_EQ(form->sessions.image.way(Way::High).delaySteps, 95);
  EXPECT_TRUE(sentWrites().empty());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(EditingLevels, LevelAndDelayEditsWhileDisconnectedAreShownButNeverSent) {
  showDisconnected();
  typeAndEnter(edit("edt3"), "-3");
  typeAndEnter(edit("RzEdit18"), "1.05");
  typeAndEnter(edit("edt2"), "-6");
  typeAndEnter(edit("edt1"), "2");
  QTest::mouseClick(button("btn2"), Qt::LeftButton);
  EXPECT_EQ(systemSlider()->value(), 15);
  EXPECT_EQ(form->sessions.image.main.systemLevel, 286);
  EXPECT_EQ(edit("edt3")->text(), "-3.0 dB");
  EXPECT_EQ(form->sessions.image.way(Way::Main).delaySteps, 50);
  EXPECT_EQ(control<QScrollBar>("ScrollBar1")->value(), 50);
  EXPECT_EQ(edit("RzEdit18")->text(), "1.050 ms");
  EXPECT_EQ(form->sessions.image.way(Way::High).level, 140);
  EXPECT_EQ(form->sessions.image.way(Way::High).delaySteps, 95);
  EXPECT_EQ(form->sessions.image.way(Way::High).polarity, 1);
  EXPECT_EQ(button("btn2")->text(), "Pol(-)");
  scheduler.advanceMs(3000);
  EXPECT_TRUE(written().empty());
  EXPECT_TRUE(dialogs.messages.empty());

  // The connect shows what the device holds; none of the edits made before it goes out.
  clickConnect();
  scheduler.advanceMs(3000);
  ASSERT_TRUE(connectedCaption());
  EXPECT_TRUE(sentWrites().empty());
  EXPECT_EQ(form->sessions.image.main.systemLevel, 301);
  EXPECT_EQ(edit("edt3")->text(), "0.0 dB");
  EXPECT_EQ(edit("RzEdit18")->text(), "0.000 ms");
  EXPECT_EQ(edit("edt2")->text(), "0.0 dB");
  EXPECT_EQ(button("btn2")->text(), "Pol(+)");
}

TEST_F(EditingLevels, ATypedKeyReplacesADelayTextThatCarriesItsUnit) {
  connect();
  QLineEdit* e = edit("edt1");
  e->setFocus(Qt::TabFocusReason);
  e->end(false);  // the cursor after "0.000 ms", nothing selected
  QTest::keyClick(e, Qt::Key_2);
  EXPECT_EQ(e->text(), "2");
  QTest::keyClick(e, Qt::Key_Return);
  EXPECT_EQ(e->text(), "1.995 ms");  // 95 steps
  EXPECT_EQ(control<QLabel>("lbl4")->text(), "1.995 ms");
}

TEST_F(EditingLevels, TheSatelliteDelayBarSendsItsStepsInTheHighChannel) {
  connect();
  control<QScrollBar>("scrlbr1")->setValue(300);
  EXPECT_EQ(edit("edt1")->text(), "6.300 ms");
  EXPECT_EQ(sentWrites(), std::vector<Frame>{highFrame(200, 1, 300)});  // 0x2C 0x01
}

TEST_F(EditingLevels, ReconnectingReadsBackWhatTheDeviceStored) {
  connect();
  typeAndEnter(edit("edt3"), "-3");
  typeAndEnter(edit("RzEdit18"), "1.05");
  typeAndEnter(edit("edt2"), "-6");
  typeAndEnter(edit("RzEdit107"), "4.5");
  typeAndEnter(edit("RzEdit206"), "8000");
  QTest::mouseClick(button("btn2"), Qt::LeftButton);
  sentWrites();
  const PresetImage edited = form->sessions.image;
  disconnect();
  // Whatever the window holds now is replaced by what the device sends on the next connect.
  form->sessions.image.main.systemLevel = 301;
  form->sessions.image.way(Way::Main).delaySteps = 0;
  form->sessions.image.band(ToBandSlot(Way::Main, 1)).peqGain = 120;
  clickConnect();
  scheduler.advanceMs(3000);
  ASSERT_TRUE(connectedCaption());
  EXPECT_EQ(form->sessions.image.main.systemLevel, 286);
  EXPECT_EQ(form->sessions.image.way(Way::Main), edited.way(Way::Main));
  EXPECT_EQ(form->sessions.image.way(Way::High), edited.way(Way::High));
  EXPECT_EQ(form->sessions.image.bands, edited.bands);
  EXPECT_EQ(edit("edt3")->text(), "-3.0 dB");
  EXPECT_EQ(edit("RzEdit18")->text(), "1.050 ms");
  EXPECT_EQ(edit("edt2")->text(), "-6.0 dB");
  EXPECT_EQ(edit("RzEdit107")->text(), "4.4 dB");
  EXPECT_EQ(edit("RzEdit206")->text(), "8000 Hz");
  EXPECT_EQ(button("btn2")->text(), "Pol(-)");
}

}  // namespace
}  // namespace lyra::test
