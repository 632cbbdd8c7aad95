// The preset box against a simulated device: loading a slot, saving a user preset's name, the
// name field.

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointingDevice>

#include "tests/app/PresetScenario.h"

namespace lyra::test {
namespace {

// Qt keeps its input devices in a list made when it is first used. Made before the application,
// it outlives the application, whose devices leave it when the program exits.
[[maybe_unused]] const auto kInputDeviceList = QInputDevice::devices().size();

constexpr const char* kLoadQuestion =
    "Loading a Preset will replace the active\r\nPreset.Do you want to proceed?";
const std::string kOvertime = "overtime\xEF\xBC\x8Ctry again.";

class PresetSlots : public PresetScenario {
 protected:
  void clickLoad(int position) {
    form->areas.RzComboBox10->setCurrentIndex(position);
    form->areas.RzButton9->click();
  }
  void type(QWidget* w, int key, const QString& text = {}) {
    // Input devices of the test's own: the system's primary ones would outlive the application.
    const QInputDevice keyboard;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, 0, 0, 0, text, false, 1, &keyboard);
    QCoreApplication::sendEvent(w, &press);
  }
  void clickInto(QWidget* w) {
    const QPointingDevice mouse;
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(4, 4), QPointF(4, 4), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier, &mouse);
    QCoreApplication::sendEvent(w, &release);
  }
};

TEST_F(PresetSlots, LoadingUsr7SendsIndex8AndShowsTheLoadedPreset) {
  DeviceModel& device = addDevice(1);
  device.memory().blocks[7] = distinctPreset();
  startWindow();
  connectAndSettle();
  const std::size_t before = written().size();

  clickLoad(7);
  EXPECT_EQ(dialogs.questions.back(), kLoadQuestion);
  EXPECT_TRUE(visible(waitBox()));
  EXPECT_EQ(waitBox()->pos(), QPoint(208, 232));
  EXPECT_EQ(progress(), 0);
  EXPECT_FALSE(editingEnabled());
  EXPECT_FALSE(form->areas.fileMenu->isEnabled());

  scheduler.advanceMs(2000);
  const auto loads = framesOf(0xA2, 0x28, before);
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_EQ(loads[0].second, loadStoredPreset(0x00, 8));
  EXPECT_EQ(form->sessions.image.band(ToBandSlot(Way::Main, 0)).frequency, 57);
  EXPECT_EQ(control<QLineEdit>("RzEdit94")->text(), "102 Hz");
  EXPECT_FALSE(visible(waitBox()));
  EXPECT_TRUE(editingEnabled());
  EXPECT_FALSE(form->sessions.timers.Timer22.isActive());
  EXPECT_TRUE(form->sessions.timers.Timer1.isActive());
  // The system record read that follows names the slot.
  EXPECT_EQ(form->areas.RzLabel14->text(), "Last loaded preset:Usr7         ");
  EXPECT_TRUE(dialogs.messages.empty());

  clickLoad(0);
  scheduler.advanceMs(2000);
  const auto again = framesOf(0xA2, 0x28, before);
  ASSERT_EQ(again.size(), 2u);
  EXPECT_EQ(again[1].second[5], 0x01);
  EXPECT_EQ(form->areas.RzLabel14->text(), "Last loaded preset:Pre0         ");
}

TEST_F(PresetSlots, ALoadWithoutReplyEndsAfter12sWithTheImageUnchanged) {
  DeviceModel& device = addDevice(1);
  startWindow();
  connectAndSettle();
  const PresetImage image = form->sessions.image;
  device.faults().silent = true;

  clickLoad(3);
  const std::int64_t sentAt = scheduler.nowMs();
  scheduler.advanceMs(3000);
  EXPECT_EQ(progress(), 30);
  scheduler.advanceMs(8900);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(visible(waitBox()));
  scheduler.advanceMs(200);
  ASSERT_EQ(dialogs.messageTexts(), std::vector<std::string>{kOvertime});
  EXPECT_NEAR(static_cast<double>(dialogs.messages[0].atMs - sentAt), 12000.0, 20.0);
  EXPECT_EQ(form->sessions.image, image);
  EXPECT_EQ(form->sessions.flags.LoadSlotAwaited, 0);
  EXPECT_FALSE(visible(waitBox()));
  EXPECT_TRUE(editingEnabled());
  EXPECT_TRUE(form->sessions.timers.Timer1.isActive());
  EXPECT_TRUE(form->sessions.timers.sendTimer.isActive());
}

TEST_F(PresetSlots, ABlockThatComesAfterItsLoadTimedOutEndsAFiltersResetItOverwrites) {
  DeviceModel& device = addDevice(1);
  startWindow();
  connectAndSettle();
  // The load's block leaves 12.3 s after its request: after the load has given up.
  device.faults().lateByUs = 12'300'000;
  clickLoad(3);
  scheduler.advanceMs(12'100);
  ASSERT_EQ(dialogs.messageTexts(), std::vector<std::string>{kOvertime});
  ASSERT_TRUE(editingEnabled());

  // "Filters reset" queues its six band frames; the late block is decoded while they wait. The
  // image then holds the device's preset and the pending frames are forgotten, so the reset must
  // end there rather than wait for frames that will never be written.
  QPushButton* filtersReset = form->window().findChild<QPushButton*>("RzButton97");
  ASSERT_NE(filtersReset, nullptr);
  filtersReset->click();
  EXPECT_FALSE(editingEnabled());
  EXPECT_TRUE(visible(waitBox()));
  scheduler.advanceMs(600);  // the block is in and decoded
  EXPECT_FALSE(visible(waitBox()));
  EXPECT_TRUE(editingEnabled());
  for (int slot = 1; slot <= 50; ++slot) EXPECT_FALSE(form->sessions.pump.isPending(slot)) << slot;
}

TEST_F(PresetSlots, LoadAndSaveDoNothingWithoutAPortOrWithoutYes) {
  addDevice(1);
  startWindow();
  clickLoad(2);
  form->areas.RzButton10->click();
  EXPECT_TRUE(dialogs.questions.empty());
  EXPECT_TRUE(written().empty());

  connectAndSettle();
  const std::size_t before = written().size();
  dialogs.answers.push_back(Dialogs::Answer::No);
  clickLoad(2);
  scheduler.advanceMs(100);
  EXPECT_TRUE(framesOf(0xA2, 0x28, before).empty());
  EXPECT_FALSE(visible(waitBox()));
}

class LateSlotBlock : public PresetSlots {
 protected:
  // A load whose block comes just after the 12 s time-out, between two polls; the device answers
  // at once again from the message on. Returns once the late block is in.
  DeviceModel& loadTimesOutThenTheBlockComes() {
    DeviceModel& device = addDevice(1);
    device.memory().blocks[3] = distinctPreset();
    startWindow();
    connectAndSettle();
    device.faults().lateByUs = 12'050'000;
    dialogs.whileShown = [&device](const std::string&) { device.faults().lateByUs = 0; };
    clickLoad(3);
    scheduler.advanceMs(12010);
    EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{kOvertime});
    afterTimeOut = written().size();
    for (int waited = 0; waited < 1000 && !lateBlockIn(); waited += 10) scheduler.advanceMs(10);
    EXPECT_TRUE(lateBlockIn());
    return device;
  }
  bool lateBlockIn() const { return form->sessions.image.band(ToBandSlot(Way::Main, 0)).frequency == 57; }
  void saveName(const char* name) {
    form->areas.RzEdit1->setText(name);
    form->areas.RzButton10->click();
    scheduler.advanceMs(1500);
  }
  std::size_t afterTimeOut = 0;
};

TEST_F(LateSlotBlock, IsTheActivePresetAndNothingMoreAndTheNextNameSaveSucceeds) {
  DeviceModel& device = loadTimesOutThenTheBlockComes();
  // It does not start the connect's name read, whose reply would bury the save's
  // acknowledgement.
  EXPECT_TRUE(framesOf(0xA2, 0x26, afterTimeOut).empty());
  const std::size_t before = written().size();
  saveName("Usr six");
  EXPECT_EQ(dialogs.messageTexts(), (std::vector<std::string>{kOvertime, "Successfully save."}));
  EXPECT_EQ(device.memory().names[6], DeviceMemory::nameOf("Usr six"));
  EXPECT_EQ(framesOf(0xA2, 0x21, before).size(), 1u) << "the system record read after the save";
  EXPECT_TRUE(framesOf(0xA2, 0x26, afterTimeOut).empty());
}

TEST_F(LateSlotBlock, ANameSaveClickedWhileAPollReplyArrivesStillHearsItsAcknowledgement) {
  DeviceModel& device = loadTimesOutThenTheBlockComes();
  // The save clears ReceiveText while the poll's reply is half in: the acknowledgement comes
  // right behind the rest of it.
  bool pollAnswered = false;
  device.onTraffic = [&](bool fromDevice, const std::vector<std::uint8_t>& f) {
    if (fromDevice && f.size() > 6 && f[6] == group::kStatusRecord) pollAnswered = true;
  };
  for (int waited = 0; waited < 1000 && !pollAnswered; ++waited) scheduler.advanceMs(1);
  ASSERT_TRUE(pollAnswered);
  scheduler.advanceMs(12);  // the reply is on the line
  const std::size_t before = written().size();
  saveName("Usr six");
  EXPECT_EQ(dialogs.messageTexts(), (std::vector<std::string>{kOvertime, "Successfully save."}));
  EXPECT_EQ(framesOf(0xA2, 0x21, before).size(), 1u) << "the system record read after the save";
}

TEST_F(PresetSlots, SavingAnEmptyNameAndA19CharacterName) {
  DeviceModel& device = addDevice(1);
  startWindow();
  connectAndSettle();
  std::size_t before = written().size();

  form->areas.RzEdit1->setText("   ");
  form->areas.RzButton10->click();
  scheduler.advanceMs(200);
  auto saves = framesOf(0xA1, 0x27, before);
  ASSERT_EQ(saves.size(), 1u);
  EXPECT_EQ(saves[0].second, saveUserPresetName(0x00, 7, ""));
  EXPECT_EQ(saves[0].second.size(), 32u);
  EXPECT_EQ(form->areas.RzEdit1->text(), "");
  EXPECT_EQ(form->areas.RzComboBox10->itemText(6), "Usr6:");
  EXPECT_EQ(device.memory().names[6], DeviceMemory::nameOf(""));
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{"Successfully save."});
  scheduler.advanceMs(1000);  // the system record read after the acknowledgement goes out
  EXPECT_EQ(framesOf(0xA2, 0x21, before).size(), 1u);
  EXPECT_TRUE(form->sessions.timers.Timer1.isActive());

  // Usr7 with a name that fills the field: one zero byte ends it.
  const std::string name = "Nineteen characters";
  ASSERT_EQ(name.size(), 19u);
  form->areas.RzComboBox10->setCurrentIndex(2);
  form->areas.RzComboBox11->setCurrentIndex(1);
  form->areas.RzEdit1->setText(QString::fromStdString(name));
  before = written().size();
  form->areas.RzButton10->click();
  scheduler.advanceMs(200);
  saves = framesOf(0xA1, 0x27, before);
  ASSERT_EQ(saves.size(), 1u);
  const Bytes& frame = saves[0].second;
  EXPECT_EQ(frame[5], 0x08);
  EXPECT_EQ(std::string(frame.begin() + 10, frame.begin() + 29), name);
  EXPECT_EQ(frame[29], 0x00);
  EXPECT_EQ(frame, saveUserPresetName(0x00, 8, name));
  EXPECT_EQ(form->areas.RzComboBox10->itemText(7), QString("Usr7:") + name.c_str());
  EXPECT_EQ(form->areas.RzComboBox10->currentIndex(), 2) << "the load list keeps its selection";
  EXPECT_EQ(form->sessions.image.names.shown(7), name);
  EXPECT_EQ(device.memory().names[7], DeviceMemory::nameOf(name));
  EXPECT_EQ(dialogs.messages.size(), 2u);

  // The save list shows each user preset's name.
  form->areas.RzComboBox11->setCurrentIndex(0);
  EXPECT_EQ(form->areas.RzEdit1->text(), "");
  form->areas.RzComboBox11->setCurrentIndex(1);
  EXPECT_EQ(form->areas.RzEdit1->text(), QString::fromStdString(name));
}

TEST_F(PresetSlots, AnUnacknowledgedSaveTimesOutAndALaterAckIsNoSuccess) {
  DeviceModel& device = addDevice(1);
  startWindow();
  connectAndSettle();
  device.faults().silent = true;
  form->areas.RzEdit1->setText("  Rock\t ");
  form->areas.RzButton10->click();
  EXPECT_EQ(form->areas.RzEdit1->text(), "Rock");
  EXPECT_EQ(form->areas.RzComboBox10->itemText(6), "Usr6:Rock");
  scheduler.advanceMs(DevicePresets::kSaveAckTimeoutMs - 200);
  EXPECT_TRUE(dialogs.messages.empty());
  scheduler.advanceMs(200);
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{kOvertime});
  EXPECT_EQ(form->sessions.flags.SaveAckAwaited, 0);

  // The device answers again; an edit's acknowledgement is not taken for the save's.
  device.faults().silent = false;
  form->sessions.pump.queueParameterWrite(kMainChannelSlot,
                                 parameterWrite(0x00, group::kMainChannel, 0x00, RowPayload{}));
  scheduler.advanceMs(2000);
  EXPECT_EQ(framesOf(0xA1, group::kMainChannel).size(), 1u);
  EXPECT_TRUE(connectedCaption());
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(PresetSlots, TheNameFieldTakesPrintableAsciiAndSavesOnEnter) {
  addDevice(1);
  startWindow();
  connectAndSettle();
  QLineEdit* field = form->areas.RzEdit1;
  field->setText("");
  type(field, Qt::Key_A, "a");
  type(field, Qt::Key_E, QString::fromUtf8("\xC3\xA9"));  // é
  type(field, Qt::Key_AsciiTilde, "~");
  EXPECT_EQ(field->text(), "a~");
  type(field, Qt::Key_Backspace, "\b");
  EXPECT_EQ(field->text(), "a");

  // The first click after entering selects the whole name; the next one does not.
  field->setText("Live");
  field->deselect();
  clickInto(field);
  EXPECT_EQ(field->selectedText(), "Live");
  field->deselect();
  clickInto(field);
  EXPECT_EQ(field->selectedText(), "");
  QFocusEvent out(QEvent::FocusOut);
  QCoreApplication::sendEvent(field, &out);
  clickInto(field);
  EXPECT_EQ(field->selectedText(), "Live");

  const std::size_t before = written().size();
  type(field, Qt::Key_Return, "\r");
  scheduler.advanceMs(200);
  const auto saves = framesOf(0xA1, 0x27, before);
  ASSERT_EQ(saves.size(), 1u);
  EXPECT_EQ(saves[0].second, saveUserPresetName(0x00, 7, "Live"));
  EXPECT_EQ(field->text(), "Live") << "Enter is not typed into the field";
}

}  // namespace
}  // namespace lyra::test
