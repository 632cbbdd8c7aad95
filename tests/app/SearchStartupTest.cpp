// The short search at start-up: DeviceIds 1..10 on every port at 500 ms, then the window shows
// its areas with the result for 3 s.

#include <QApplication>

#include "tests/app/SearchFixture.h"

namespace lyra::test {
namespace {

class StartupSearch : public SearchFixture {};

TEST_F(StartupSearch, FindsDeviceIds1To10OnEveryPortThenShowsTheWindow) {
  bus.addPort("COM4");
  for (int id : {11, 10, 1}) addDevice(id);
  addDeviceOn("COM4", 4);
  startKeepingProbes();

  EXPECT_EQ(probes("COM4"), range(0, 9));
  EXPECT_EQ(probes("COM3"), range(0, 9));
  const auto& com4 = bus.writes("COM4");
  EXPECT_EQ(com4.front().timeUs, (10 + 500) * 1000);  // Timer124 at 10 ms, then the first wait
  for (size_t i = 1; i < com4.size(); ++i) EXPECT_EQ(com4[i].timeUs - com4[i - 1].timeUs, 500'000);
  EXPECT_LT(com4.back().timeUs, bus.writes("COM3").front().timeUs);

  EXPECT_EQ(form->areas.searchResultLabel->text(), "search result :     ");
  EXPECT_EQ(resultLines(),
            QStringList{"COM3--Device ID1 , COM3--Device ID10 , COM4--Device ID4 , "});
  expectSearchEnded();
  for (QWidget* w :
       {static_cast<QWidget*>(form->areas.GroupBox2), static_cast<QWidget*>(form->areas.GroupBox3),
        static_cast<QWidget*>(form->areas.RzGroupBox8),
        static_cast<QWidget*>(form->areas.Image20)}) {
    EXPECT_TRUE(shown(w)) << w->objectName().toStdString();
  }
  EXPECT_TRUE(form->areas.fileMenu->menuAction()->isVisible());
  EXPECT_TRUE(form->areas.helpMenu->menuAction()->isVisible());
  EXPECT_TRUE(dialogs.messages.empty());

  // tmr1: three seconds later the editing pages replace the result.
  scheduler.advanceMs(2990);
  EXPECT_TRUE(shown(form->areas.searchResultBox));
  scheduler.advanceMs(20);
  EXPECT_FALSE(shown(form->areas.searchResultBox));
  EXPECT_TRUE(shown(form->areas.RzGroupBox12));
  EXPECT_FALSE(form->sessions.timers.tmr1.isActive());
}

TEST_F(StartupSearch, WithoutSerialPortsItEndsAtOnceAndTheWindowShows) {
  bus.removePort(kPort);
  startKeepingProbes();
  EXPECT_LE(scheduler.nowMs(), 20);
  EXPECT_EQ(form->areas.searchResultLabel->text(), "search result :none     ");
  EXPECT_FALSE(shown(form->areas.searchResultList));
  EXPECT_EQ(form->areas.RzComboBox1->count(), 1);  // "Network port..." alone
  EXPECT_EQ(form->areas.RzComboBox1->currentIndex(), -1);
  EXPECT_TRUE(shown(form->areas.GroupBox2));
  expectSearchEnded();
}

TEST_F(StartupSearch, APortWithoutACOMNumberIsListedByItsOwnName) {
  bus.removePort(kPort);
  bus.addPort("ttySIM0");
  addDeviceOn("ttySIM0", 5);
  startKeepingProbes();
  EXPECT_EQ(resultLines(), QStringList{"ttySIM0--Device ID5 , "});
}

TEST_F(StartupSearch, ClosingTheWindowStopsItAtItsNextStep) {
  bus.addPort("COM4");
  addDevice(1);
  addDeviceOn("COM4", 2);
  at(10 + 2200, [] { emit qApp->lastWindowClosed(); });  // after the fourth probe on COM4
  startKeepingProbes();
  EXPECT_EQ(probes("COM4"), range(0, 3));
  EXPECT_TRUE(probes("COM3").empty());
  EXPECT_LT(scheduler.nowMs(), 2600);
  EXPECT_FALSE(form->sessions.link.PortOpen());
  EXPECT_EQ(form->sessions.flags.Searching, 0);
}

}  // namespace
}  // namespace lyra::test
