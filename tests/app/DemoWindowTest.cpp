// The Demo entry of the port list in the whole window, on virtual time: where it stands, the hint
// without a system port, the start-up search passing it by, and every device function on its
// simulated devices 1 and 5, marked as simulated in the title and the status bar.

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QTest>

#include "app/Connection.h"
#include "preset/PresetBlockText.h"
#include "reply/ReplyParser.h"
#include "storage/PresetFiles.h"
#include "tests/app/DemoFixture.h"
#include "tests/storage/TempFolder.h"

namespace lyra::test {
namespace {

// QTest's first mouse event registers a pointing device that must outlive the application.
[[maybe_unused]] const qsizetype kDevicesBeforeMain = QInputDevice::devices().size();

constexpr std::size_t kMainBand1FrequencyByte = 232;

QStringList items(const QComboBox* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->itemText(i);
  return out;
}

class DemoWindow : public DemoFixture {
 protected:
  void typeAndEnter(const char* field, const QString& keys) {
    auto* e = form->window().findChild<QLineEdit*>(field);
    ASSERT_NE(e, nullptr) << field;
    QTest::mouseClick(e, Qt::LeftButton);
    QTest::keyClicks(e, keys);
    QTest::keyClick(e, Qt::Key_Return);
  }
  void showActive() {
    form->window().show();
    QApplication::setActiveWindow(&form->window());
  }
  TempFolder folder;
};

TEST_F(DemoWindow, DemoFollowsTheSystemsPortsAndTheLastSystemPortStaysSelected) {
  adapter.addPort("COM10");
  startAndSettle();
  EXPECT_EQ(items(form->areas.RzComboBox1), (QStringList{"COM10", "COM3", "Demo", "Network port..."}));
  EXPECT_EQ(form->areas.RzComboBox1->currentText(), "COM3");
  EXPECT_FALSE(shown(form->areas.noPortHint));
  EXPECT_EQ(form->areas.RzComboBox1->accessibleName(), "Port");
}

TEST_F(DemoWindow, WithoutASystemPortDemoIsSelectedAndAHintSaysWhatToDo) {
  systemPorts.state = SystemPorts::State::None;
  startAndSettle();
  EXPECT_EQ(items(form->areas.RzComboBox1), (QStringList{"Demo", "Network port..."}));
  EXPECT_EQ(form->areas.RzComboBox1->currentIndex(), 0);
  QLabel* hint = form->areas.noPortHint;
  ASSERT_TRUE(shown(hint));
  EXPECT_EQ(hint->text(), kNoPortHint);
  // Readable whole in its place, clear of every other control of the connection area.
  const QRect needed = QFontMetrics(hint->font())
                           .boundingRect(QRect(0, 0, hint->width(), 1000),
                                         Qt::TextWordWrap | Qt::AlignLeft, hint->text());
  EXPECT_LE(needed.height(), hint->height());
  EXPECT_TRUE(form->areas.GroupBox2->rect().contains(hint->geometry()));
  for (QWidget* other : form->areas.GroupBox2->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (other == hint || !shown(other)) continue;
    EXPECT_FALSE(other->geometry().intersects(hint->geometry()))
        << other->objectName().toStdString();
  }

  // An adapter plugged in: the list's refresh selects it and the hint goes.
  systemPorts.state = SystemPorts::State::Adapter;
  scheduler.advanceMs(3100);
  EXPECT_EQ(items(form->areas.RzComboBox1), (QStringList{"COM3", "Demo", "Network port..."}));
  EXPECT_EQ(form->areas.RzComboBox1->currentText(), "COM3");
  EXPECT_FALSE(shown(hint));
}

TEST_F(DemoWindow, TheStartUpSearchProbesTheSystemsPortButNotDemo) {
  startWindow();
  EXPECT_EQ(adapter.writes(kAdapterPort).size(), 10u) << "DeviceIds 1..10 on COM3";
  EXPECT_TRUE(demoWrites().empty());
  EXPECT_EQ(form->areas.searchResultLabel->text(), "search result :none     ");
}

TEST_F(DemoWindow, ConnectedToDemoTheTitleAndStatusBarSayTheDevicesAreSimulated) {
  DeviceModel adapterDevice(adapter, kAdapterPort, 1, 9u);
  startAndSettle();
  EXPECT_EQ(title(), "LYRAPHONE");
  connectToDemo();
  EXPECT_EQ(panel1(), " Connected Demo (simulated)");
  EXPECT_EQ(title(), Connection::kDemoTitle);
  EXPECT_EQ(form->areas.RzComboBox10->itemText(0).toStdString().rfind("Pre0:Flat", 0), 0u)
      << form->areas.RzComboBox10->itemText(0).toStdString();
  // The poll runs on the demo's line, and nothing went to the adapter.
  scheduler.advanceMs(2000);
  EXPECT_TRUE(form->areas.statusPanel2->text().startsWith("Internal Temperature: "));
  EXPECT_GT(demoDevice(1).repliesSent(), 3);
  EXPECT_EQ(adapter.writes(kAdapterPort).size(), 10u) << "only the start-up search's probes";

  disconnect();
  EXPECT_EQ(title(), "LYRAPHONE");
  EXPECT_EQ(panel1(), " Disconnected");

  // The adapter's port still reaches the adapter's device, and is no demo.
  select(kAdapterPort);
  form->areas.Button3->click();
  scheduler.advanceMs(3000);
  EXPECT_EQ(panel1(), " Connected COM3");
  EXPECT_EQ(title(), "LYRAPHONE");
  EXPECT_GT(adapterDevice.repliesSent(), 0);
}

TEST_F(DemoWindow, TheStatusBarReadsWholeOnDemoInTheWindowsDesignSize) {
  startAndSettle();
  connectToDemo();
  form->window().show();
  // The widest status text beside the demo's panel 1.
  form->areas.statusPanel2->setText(QString::fromStdString(ReplyParser::statusTextFor(6000, 255)));
  QCoreApplication::processEvents();
  ASSERT_LE(form->window().width(), 1366);
  for (QLabel* panel : {form->areas.statusPanel1, form->areas.statusPanel2}) {
    const QString text = panel->text().trimmed();
    EXPECT_LE(panel->fontMetrics().horizontalAdvance(text), panel->contentsRect().width())
        << panel->objectName().toStdString() << ": \"" << text.toStdString() << "\"";
  }
}

TEST_F(DemoWindow, ThePortCheckKeepsDemoWhileTheSystemsListCannotBeRead) {
  startAndSettle();
  connectToDemo();
  systemPorts.state = SystemPorts::State::Unreadable;
  scheduler.advanceMs(10'000);  // three port checks
  EXPECT_EQ(form->areas.Button3->text(), "Disconnect");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(DemoWindow, ABandEditIsStoredInTheDemoDevice) {
  startAndSettle();
  connectToDemo();
  showActive();
  const std::uint8_t before = demoDevice(1).memory().active[kMainBand1FrequencyByte];
  typeAndEnter("RzEdit94", "1000");
  scheduler.advanceMs(2000);
  const std::uint8_t shown = form->sessions.image.band(ToBandSlot(Way::Main, 0)).frequency;
  EXPECT_NE(shown, before);
  EXPECT_EQ(demoDevice(1).memory().active[kMainBand1FrequencyByte], shown);
}

TEST_F(DemoWindow, APresetGoesToAFileAndComesBackFromItIntoTheDemoDevice) {
  startAndSettle();
  connectToDemo(5);
  showActive();
  typeAndEnter("RzEdit94", "1000");
  scheduler.advanceMs(2000);
  const PresetData prepared = demoDevice(5).memory().active;
  const auto path = folder / "tour.sps";

  dialogs.filePaths.push_back(path.string());
  form->areas.Button6->click();  // "Save this preset to PC"
  scheduler.advanceMs(1000);
  const FileLines saved = ReadTextLines(path);
  ASSERT_EQ(saved.status, FileLines::Status::Read);
  ASSERT_EQ(saved.lines.size(), 1u);
  EXPECT_TRUE(IsValidPresetBlockText(saved.lines[0]));

  // The rack's device, say, came with the flat preset: the file puts the prepared one back.
  typeAndEnter("RzEdit94", "50");
  scheduler.advanceMs(2000);
  ASSERT_NE(demoDevice(5).memory().active, prepared);
  dialogs.filePaths.push_back(path.string());
  form->areas.Button7->click();  // "Load a preset from PC", its waits included
  scheduler.advanceMs(1000);
  EXPECT_EQ(demoDevice(5).memory().active, prepared);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(DemoWindow, SlotLoadAndNameSaveWorkOnTheDemoDevice) {
  startAndSettle();
  connectToDemo();
  form->areas.RzComboBox11->setCurrentIndex(0);  // Usr6
  form->areas.RzEdit1->setText("Tour");
  form->areas.RzButton10->click();
  scheduler.advanceMs(1500);
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{"Successfully save."});
  EXPECT_EQ(demoDevice(1).memory().names[6], DeviceMemory::nameOf("Tour"));

  form->areas.RzComboBox10->setCurrentIndex(2);  // Pre2, "Music"
  form->areas.RzButton9->click();
  scheduler.advanceMs(2000);
  EXPECT_EQ(demoDevice(1).memory().active, demoDevice(1).memory().blocks[2]);
  EXPECT_EQ(form->areas.RzLabel14->text(), "Last loaded preset:Pre2         ");
}

TEST_F(DemoWindow, SetIdMovesADemoDevice) {
  startAndSettle();
  connectToDemo(5);
  form->areas.RzEdit2->setText("7");
  form->areas.Button1->click();
  scheduler.advanceMs(1000);
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{"DeviceID change to 7"});
  EXPECT_EQ(demoDevice(5).deviceId(), 7);
  EXPECT_EQ(demoDevice(1).deviceId(), 1);
  scheduler.advanceMs(3000);
  EXPECT_EQ(form->areas.Button3->text(), "Disconnect") << "the poll follows the device";
}

TEST_F(DemoWindow, TheFullSearchFindsDevicesOneAndFiveOnDemo) {
  startAndSettle();
  form->areas.Button8->click();  // runs the whole search inside
  const QString result = form->areas.searchResultList->toPlainText();
  EXPECT_TRUE(result.contains("Demo--Device ID1 ")) << result.toStdString();
  EXPECT_TRUE(result.contains("Demo--Device ID5 ")) << result.toStdString();
  EXPECT_FALSE(result.contains("COM3")) << result.toStdString();
  EXPECT_EQ(demoWrites().size(), 256u);
}

}  // namespace
}  // namespace lyra::test
