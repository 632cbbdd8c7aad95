// The window without a mouse: Tab leaves every field, the spin arrows are no Tab stops and Up and
// Down in a value edit do their work, the ID fields take a typed value whole, and the preset-name
// field keeps what the device can show however the text comes in. Last, a whole task by keyboard.

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QMenuBar>

#include "model/ParameterScales.h"
#include "tests/app/EditingFixture.h"
#include "tests/storage/TempFolder.h"

namespace lyra::test {
namespace {

class KeyboardReach : public EditingFixture {
 protected:
  QWidget* focused() const { return QApplication::focusWidget(); }
  void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(focused(), static_cast<Qt::Key>(key), modifiers);
  }
};

TEST_F(KeyboardReach, TabAndShiftTabLeaveEveryFieldOfTheWindow) {
  connect();
  form->areas.initialDataBox->show();  // its ID field is a field too
  int fields = 0;
  for (QLineEdit* field : form->window().findChildren<QLineEdit*>()) {
    if (!field->isVisible() || !field->isEnabled() || field == elsewhere) continue;
    ++fields;
    for (const auto modifiers : {Qt::NoModifier, Qt::ShiftModifier}) {
      field->setFocus(Qt::TabFocusReason);
      ASSERT_EQ(focused(), field) << field->objectName().toStdString();
      QTest::keyClick(field, Qt::Key_Tab, modifiers);
      EXPECT_NE(focused(), field) << (modifiers ? "Shift+Tab" : "Tab") << " stays in "
                                  << field->objectName().toStdString();
    }
  }
  EXPECT_EQ(fields, 27);  // 18 equaliser, 2 filter, 4 level and delay, name and two ID fields
  // The name field was a trap for Tab alone.
  form->areas.RzEdit1->setFocus(Qt::TabFocusReason);
  press(Qt::Key_Tab);
  EXPECT_EQ(focused(), form->areas.RzButton10);
}

TEST_F(KeyboardReach, NoSpinArrowTakesTheFocusAndTabStopsAreFewer) {
  connect();
  int arrows = 0;
  for (QToolButton* b : form->window().findChildren<QToolButton*>()) {
    if (!b->objectName().startsWith("RzSpinButtons")) continue;
    ++arrows;
    EXPECT_FALSE(b->focusPolicy() & Qt::TabFocus) << b->objectName().toStdString();
  }
  EXPECT_EQ(arrows, 40);
  // A whole round of Tab from the first equaliser field comes back to it, visiting no arrow.
  QWidget* first = edit("RzEdit94");
  first->setFocus(Qt::TabFocusReason);
  int stops = 0;
  do {
    press(Qt::Key_Tab);
    ASSERT_FALSE(qobject_cast<QToolButton*>(focused()) &&
                 focused()->objectName().startsWith("RzSpinButtons"))
        << focused()->objectName().toStdString();
    if (focused() != elsewhere) ++stops;  // the fixture's own field is no stop of the window
  } while (focused() != first && stops < 200);
  EXPECT_EQ(focused(), first);
  EXPECT_EQ(stops, 64) << "104 with the arrows";  // "Show phase" is one of them
}

TEST_F(KeyboardReach, UpAndDownInAValueEditSendWhatItsArrowsSend) {
  connect();
  QLineEdit* gain = edit("RzEdit107");  // band 2
  QTest::mouseClick(gain, Qt::LeftButton);
  QTest::keyClick(gain, Qt::Key_Up);
  EXPECT_EQ(gain->text(), "0.2 dB");
  const std::vector<Frame> byKey = sentWrites();
  // The arrow does the same from the same value.
  QTest::keyClick(gain, Qt::Key_Down);
  EXPECT_EQ(gain->text(), "0.0 dB");
  sentWrites();
  form->equalizer.rows[1].gainSpin.upRight->click();
  EXPECT_EQ(byKey, sentWrites());
  ASSERT_EQ(byKey.size(), 1u);
  EXPECT_EQ(form->sessions.image.band(ToBandSlot(Way::Main, 1)).peqGain, kZeroDbGainIndex + 1);

  // At the end of the scale a key, like the arrow, does nothing and sends nothing.
  typeAndEnter(gain, "12");
  sentWrites();
  QTest::keyClick(gain, Qt::Key_Up);
  EXPECT_EQ(gain->text(), "12.0 dB");
  EXPECT_TRUE(sentWrites().empty());

  // The high-pass frequency steps one entry of the frequency scale.
  QLineEdit* hpf = edit("RzEdit205");
  QTest::mouseClick(hpf, Qt::LeftButton);
  const int before = form->sessions.image.way(Way::Main).hpfFrequency;
  QTest::keyClick(hpf, Qt::Key_Up);
  QTest::keyClick(hpf, Qt::Key_Up);
  QTest::keyClick(hpf, Qt::Key_Down);
  EXPECT_EQ(form->sessions.image.way(Way::Main).hpfFrequency, before + 1);
  EXPECT_EQ(sentWrites().size(), 1u) << "the newest value of the slot goes out";
}

TEST_F(KeyboardReach, AClickSelectsTheWholeIdSoTypingReplacesIt) {
  connect();
  QLineEdit* setId = form->areas.RzEdit2;
  QTest::mouseClick(setId, Qt::LeftButton);
  QTest::keyClicks(setId, "7");
  EXPECT_EQ(setId->text(), "7");
  QTest::mouseClick(setId, Qt::LeftButton);  // a second click selects again
  QTest::keyClicks(setId, "9");
  EXPECT_EQ(setId->text(), "9");

  form->areas.initialDataBox->show();
  QLineEdit* source = form->areas.RzEdit3;
  ASSERT_EQ(source->text(), "1");
  QTest::mouseClick(source, Qt::LeftButton);
  QTest::keyClicks(source, "0");
  EXPECT_EQ(source->text(), "0") << "typing 0 into \"1\" gave \"10\"";
  QTest::keyClicks(source, "x5");  // the field's own key rule still holds
  EXPECT_EQ(source->text(), "05");
}

TEST_F(KeyboardReach, TheNameFieldKeepsOnlyWhatTheDeviceShowsWhenTextIsPastedOrTyped) {
  connect();
  QLineEdit* name = form->areas.RzEdit1;
  name->clear();
  name->setFocus(Qt::TabFocusReason);
  QTest::keyClicks(name, "Hall");
  QKeyEvent eacute(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("\xC3\xA9"));
  QApplication::sendEvent(name, &eacute);  // a typed é is dropped
  EXPECT_EQ(name->text(), "Hall");

  QApplication::clipboard()->setText(QString::fromUtf8(" B\xC3\xA9\x01" "a\tr\xE2\x82\xAC"));
  QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(name->text(), "Hall Bar") << "é, the control characters and € are not pasted";
  EXPECT_EQ(name->cursorPosition(), 8);
  // In the middle of the name, the cursor stays after what was pasted.
  name->setCursorPosition(4);
  QApplication::clipboard()->setText(QString::fromUtf8("\xC3\xA9-2"));
  name->paste();
  EXPECT_EQ(name->text(), "Hall-2 Bar");
  EXPECT_EQ(name->cursorPosition(), 6);

  // Saved, the frame carries exactly those characters.
  QTest::keyClick(name, Qt::Key_Return);
  scheduler.advanceMs(200);
  const auto all = bus.writes(kPort);
  ASSERT_FALSE(all.empty());
  const auto& frame = all.back().bytes;
  ASSERT_EQ(frame.size(), 32u);
  EXPECT_EQ(std::string(frame.begin() + 10, frame.begin() + 20), "Hall-2 Bar");
}

// Pick a port, connect, change a band's gain and save the preset to a file, by keyboard alone.
TEST_F(KeyboardReach, APortAConnectionAGainAndAPresetFileByKeyboardAlone) {
  bus.addPort("COM7");  // a second port, listed after COM3: the last entry is selected at start
  showDisconnected();
  QComboBox* portList = form->areas.RzComboBox1;
  ASSERT_EQ(portList->currentText(), "COM7");

  portList->setFocus(Qt::TabFocusReason);
  press(Qt::Key_Up);  // COM3, where the device is
  EXPECT_EQ(portList->currentText(), "COM3");
  press(Qt::Key_Tab);  // the device list
  press(Qt::Key_Tab);  // "Connect"
  ASSERT_EQ(focused(), form->areas.Button3);
  press(Qt::Key_Space);
  scheduler.advanceMs(3000);
  ASSERT_TRUE(connectedCaption());

  // Tab on to band 2's gain. (The handshake disabled the areas for a moment, which may have
  // taken the focus off the button; Tab then starts from the window.)
  for (int i = 0; i < 40 && focused() != edit("RzEdit107"); ++i) {
    QTest::keyClick(focused() ? focused() : &form->window(), Qt::Key_Tab);
  }
  ASSERT_EQ(focused(), edit("RzEdit107"));
  QTest::keyClicks(focused(), "-3.5");
  press(Qt::Key_Return);
  EXPECT_EQ(edit("RzEdit107")->text(), "-3.6 dB");  // midway between two steps: the lower one
  const std::vector<Frame> sent = sentWrites();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(form->sessions.image.band(ToBandSlot(Way::Main, 1)).peqGain, kZeroDbGainIndex - 18);

  // File, "Save this preset to PC": Alt+F opens the menu, S picks the item.
  TempFolder folder;
  const auto path = folder / "keyboard.sps";
  dialogs.filePaths.push_back(path.string());
  QTest::keyClick(&form->window(), Qt::Key_F, Qt::AltModifier);
  QWidget* menu = QApplication::activePopupWidget();
  ASSERT_NE(menu, nullptr) << "Alt+F opens the File menu";
  QTest::keyClick(menu, Qt::Key_S);
  scheduler.advanceMs(2000);
  ASSERT_EQ(dialogs.questions.size(), 1u);
  EXPECT_EQ(dialogs.questions[0], "Saving a Preset to PC.Do you want\r\nto proceed?");
  ASSERT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(std::filesystem::file_size(path), 664u + 2u) << "one block line and CR LF";
}

}  // namespace
}  // namespace lyra::test
