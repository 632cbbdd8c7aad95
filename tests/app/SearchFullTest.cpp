// "Search device ID": every port from the last to the first, BusAddresses 0..255 at 100 ms.

#include <QApplication>

#include "tests/app/SearchFixture.h"

namespace lyra::test {
namespace {

class FullSearch : public SearchFixture {};

// Splits the result list into its hit texts, line by line.
std::vector<QStringList> hitsByLine(const QStringList& lines) {
  std::vector<QStringList> out;
  for (const QString& line : lines) {
    EXPECT_TRUE(line.endsWith(" , ")) << line.toStdString();
    QStringList hits = line.split(" , ", Qt::SkipEmptyParts);
    out.push_back(hits);
  }
  return out;
}

TEST_F(FullSearch, TwoDevicesOnOnePortAreListedOnTheFirstLineLowestFirst) {
  addDevice(5);
  addDevice(1);
  startAndSettle();
  clickSearch();

  EXPECT_EQ(probes(kPort), range(0, 255));
  const auto w = written();
  ASSERT_EQ(w.size(), 256u);
  for (size_t i = 1; i < w.size(); ++i) EXPECT_EQ(w[i].first - w[i - 1].first, 100) << i;

  EXPECT_EQ(form->areas.searchResultLabel->text(), "search result :     ");
  ASSERT_TRUE(shown(form->areas.searchResultList));
  const QStringList lines = resultLines();
  ASSERT_EQ(lines.size(), 1);
  // The two replies to 0xFF collide; whatever the merged bytes read as, they name no device
  // that is not there (each reply is credited to the address it carries, when it is whole).
  EXPECT_EQ(lines[0], "COM3--Device ID1 , COM3--Device ID5 , ");
  expectSearchEnded();
  EXPECT_TRUE(form->areas.GroupBox2->isEnabled());
  EXPECT_TRUE(form->areas.fileMenu->isEnabled());
  EXPECT_TRUE(dialogs.messages.empty());
}

// The device answers the probe of 0xFF too, but its reply names its own BusAddress: it is listed
// once, under its own DeviceId, and never as a Device ID256 that no device is.
TEST_F(FullSearch, ADeviceAnsweringTheBroadcastProbeIsListedOnceUnderItsOwnDeviceId) {
  addDevice(7);
  startAndSettle();
  clickSearch();
  EXPECT_EQ(resultLines(), QStringList{"COM3--Device ID7 , "});

  // "Close" gives the editing pages back; "Search result" shows the same list again.
  form->areas.RzButton11->click();
  EXPECT_FALSE(shown(form->areas.searchResultBox));
  EXPECT_TRUE(shown(form->areas.RzGroupBox12));
  form->areas.Button9->click();
  EXPECT_TRUE(shown(form->areas.searchResultBox));
  EXPECT_FALSE(shown(form->areas.RzGroupBox12));
  EXPECT_EQ(resultLines(), QStringList{"COM3--Device ID7 , "});
  form->areas.SpeedButton1->click();
  EXPECT_FALSE(shown(form->areas.searchResultBox));
}

TEST_F(FullSearch, NineDevicesOnTwoPortsBreakTheListBeforeTheFifthHit) {
  bus.addPort("COM4");
  for (int id : {9, 1, 5}) addDeviceOn("COM3", id);
  for (int id : {2, 3, 4, 6, 7, 8}) addDeviceOn("COM4", id);
  startAndSettle();
  const std::int64_t startMs = scheduler.nowMs();
  clickSearch();

  // The last entry of the list is searched first.
  ASSERT_EQ(probes("COM4"), range(0, 255));
  ASSERT_EQ(probes("COM3"), range(0, 255));
  EXPECT_LT(bus.writes("COM4").back().timeUs, bus.writes("COM3").front().timeUs);
  EXPECT_GE(scheduler.nowMs() - startMs, 2 * 25'600);

  // Several devices collide on 0xFF, so each port may or may not have a hit there; without
  // those, the hits stand in port and DeviceId order, four on the first line and five after.
  const std::vector<QString> expected = {
      "COM3--Device ID1", "COM3--Device ID5", "COM3--Device ID9",
      "COM4--Device ID2", "COM4--Device ID3", "COM4--Device ID4",
      "COM4--Device ID6", "COM4--Device ID7", "COM4--Device ID8"};
  const auto lines = hitsByLine(resultLines());
  std::vector<QString> listed;
  int n = 0;
  for (size_t line = 0; line < lines.size(); ++line) {
    EXPECT_LE(lines[line].size(), line == 0 ? 4 : 5) << "line " << line;
    for (const QString& hit : lines[line]) {
      ++n;
      EXPECT_EQ(static_cast<size_t>(n / 5), line) << hit.toStdString();
      if (!hit.endsWith("--Device ID256")) listed.push_back(hit);
    }
  }
  EXPECT_EQ(listed, expected);
  expectSearchEnded();
}

TEST_F(FullSearch, ManyDevicesAnsweringTheBroadcastProbeAtOnceListNoGarbage) {
  for (int id : {1, 2, 3, 40, 41, 200, 255}) addDevice(id);
  startAndSettle();
  clickSearch();
  std::set<QString> listed;
  for (const QStringList& line : hitsByLine(resultLines())) listed.insert(line.begin(), line.end());
  listed.erase("COM3--Device ID256");
  EXPECT_EQ(listed, (std::set<QString>{"COM3--Device ID1", "COM3--Device ID2", "COM3--Device ID3",
                                       "COM3--Device ID40", "COM3--Device ID41",
                                       "COM3--Device ID200", "COM3--Device ID255"}));
  expectSearchEnded();
}

TEST_F(FullSearch, ProgressRoundsHalvesToEvenWhileTheEditingAreasAreDisabled) {
  addDevice(1);
  startAndSettle();
  // Probe n (from 1) leaves 100 * n ms after the click; 32 of 256 are 12.5 %, 96 are 37.5 %.
  std::vector<int> seen;
  bool disabled = true;
  for (std::int64_t t : {3250, 9650, 25650}) {
    at(t, [&] {
      seen.push_back(form->areas.searchProgress->value());
      disabled = disabled && shown(form->areas.searchProgressBox) &&
                 !form->areas.GroupBox2->isEnabled() && !form->areas.GroupBox3->isEnabled() &&
                 !form->areas.RzGroupBox12->isEnabled() && !form->areas.fileMenu->isEnabled() &&
                 form->sessions.flags.Searching == 1;
    });
  }
  clickSearch();
  EXPECT_EQ(seen, (std::vector<int>{12, 38, 100}));
  EXPECT_TRUE(disabled);
  expectSearchEnded();
}

TEST_F(FullSearch, CancelEndsAtTheNextProbeAndListsWhatWasFound) {
  addDevice(1);
  addDevice(100);
  startAndSettle();
  at(5030, [&] { form->areas.Button2->click(); });  // just after the probe of address 49
  clickSearch();
  EXPECT_EQ(probes(kPort), range(0, 49));
  EXPECT_EQ(resultLines(), QStringList{"COM3--Device ID1 , "});
  expectSearchEnded();
  EXPECT_TRUE(form->areas.GroupBox3->isEnabled());

  // Cancel is not remembered: the next search runs to its end.
  bus.clearWrites(kPort);
  clickSearch();
  EXPECT_EQ(probes(kPort).size(), 256u);
}

TEST_F(FullSearch, APortThatCannotBeOpenedIsSkipped) {
  bus.addPort("COM4");
  addDevice(2);
  addDeviceOn("COM4", 3);
  startAndSettle();
  auto other = bus.makeDriver();  // another program holds COM4
  ASSERT_EQ(other->open("COM4"), SerialError::None);
  clickSearch();
  EXPECT_TRUE(probes("COM4").empty());
  EXPECT_EQ(probes("COM3").size(), 256u);
  EXPECT_EQ(resultLines(), QStringList{"COM3--Device ID2 , "});
  EXPECT_TRUE(dialogs.messages.empty());
  expectSearchEnded();
  other->close();
}

TEST_F(FullSearch, APortThatVanishesMidSearchEndsOnlyItsOwnProbes) {
  bus.addPort("COM4");
  addDevice(2);
  addDeviceOn("COM4", 3);
  startAndSettle();
  at(1050, [&] { bus.removePort("COM4"); });  // the adapter is pulled after ten probes
  clickSearch();
  EXPECT_EQ(probes("COM3").size(), 256u);
  // What COM4 answered before it went is kept.
  EXPECT_EQ(resultLines(),
            QStringList{"COM3--Device ID2 , COM4--Device ID3 , "});
  EXPECT_TRUE(dialogs.messages.empty());
  expectSearchEnded();
}

TEST_F(FullSearch, IsRefusedWhileConnected) {
  addDevice(1);
  startAndSettle();
  clickConnect();
  scheduler.advanceMs(2500);
  ASSERT_TRUE(connectedCaption());
  bus.clearWrites(kPort);
  clickSearch();
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{"please disconnect and try again."});
  scheduler.advanceMs(1000);
  for (int address : probes(kPort)) EXPECT_EQ(address, 0x00);  // only the connection's polls
  EXPECT_TRUE(connectedCaption());
}

TEST_F(FullSearch, ClosingTheWindowStopsTheSearchAtItsNextStep) {
  bus.addPort("COM4");
  addDevice(1);
  addDeviceOn("COM4", 2);
  startAndSettle();
  const std::int64_t startMs = scheduler.nowMs();
  at(3020, [] { emit qApp->lastWindowClosed(); });
  clickSearch();
  EXPECT_EQ(probes("COM4"), range(0, 29));
  EXPECT_TRUE(probes("COM3").empty());  // the next port is never opened
  EXPECT_LT(scheduler.nowMs() - startMs, 3200);
  EXPECT_FALSE(form->sessions.link.PortOpen());
  EXPECT_EQ(form->sessions.flags.Searching, 0);
}

}  // namespace
}  // namespace lyra::test
