// The window on the demo bus in real time, as the program runs it: Qt's event loop and timers
// (QtScheduler) carry the devices' byte timing at 9600 baud, on the window thread. Each wait polls
// its condition with a generous limit, so a loaded machine only makes it slower.

#include <QTest>

#include "app/TForm1.h"
#include "sim/DemoBus.h"
#include "sim/SimBus.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/support/QtApplication.h"
#include "tests/support/ScriptedDialogs.h"
#include "app/QtScheduler.h"

namespace lyra::test {
namespace {

constexpr int kLimitMs = 30'000;

TEST(DemoRealTime, TheWindowConnectsLoadsASlotAndDisconnectsOnTheRealClock) {
  qtApplication();
  QtScheduler scheduler;
  SimBus noAdapter(scheduler);  // a system without serial ports
  auto systemDriver = noAdapter.makeDriver();
  FixedPorts systemPorts;
  DemoBus demo(scheduler, *systemDriver, systemPorts);
  ScriptedDialogs dialogs;
  TForm1 form(scheduler, demo.driver(), demo.ports(), &dialogs);
  WindowAreas& a = form.areas;

  // The start-up search has no port to probe; then the areas show, the hint with them.
  ASSERT_TRUE(QTest::qWaitFor([&] { return a.GroupBox2->isVisibleTo(&form.window()); }, kLimitMs));
  EXPECT_TRUE(a.noPortHint->isVisibleTo(&form.window()));
  EXPECT_TRUE(demo.bus().writes(kDemoDevicePath).empty());
  ASSERT_EQ(a.RzComboBox1->currentText(), "Demo");

  a.Button3->click();
  const QString initialStatus = a.statusPanel2->text();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return a.RzComboBox10->itemText(0).startsWith("Pre0:Flat") &&
               a.statusPanel2->text() != initialStatus;
      },
      kLimitMs))
      << a.RzComboBox10->itemText(0).toStdString() << " / " << a.statusPanel2->text().toStdString();
  EXPECT_EQ(a.statusPanel1->text(), " Connected Demo (simulated)");
  EXPECT_EQ(form.window().windowTitle(), Connection::kDemoTitle);
  EXPECT_TRUE(dialogs.messages.empty());

  // A slot load: its waits run nested in Qt's event loop while the block crosses the line.
  DeviceModel& device = *demo.device(1);
  a.RzComboBox10->setCurrentIndex(2);
  a.RzButton9->click();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return a.RzLabel14->text() == "Last loaded preset:Pre2         "; }, kLimitMs))
      << a.RzLabel14->text().toStdString();
  EXPECT_EQ(device.memory().active, device.memory().blocks[2]);
  EXPECT_EQ(a.Button3->text(), "Disconnect");
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;

  ASSERT_TRUE(QTest::qWaitFor([&] { return a.Button3->isEnabled(); }, kLimitMs));
  a.Button3->click();
  EXPECT_EQ(a.statusPanel1->text(), " Disconnected");
  EXPECT_EQ(form.window().windowTitle(), "LYRAPHONE");
  EXPECT_FALSE(form.sessions.link.PortOpen());
}

}  // namespace
}  // namespace lyra::test
