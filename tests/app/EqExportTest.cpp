// "Export equaliser settings..." and "Export response..." from the File menu: the Main EQ as the
// text the tool's `eq` writes, which imports back to the same indices, and the Main path's
// response as FRD or CSV, whose magnitude is the graph's curve.

#include <QMouseEvent>

#include "measure/ResponseData.h"
#include "storage/PresetFiles.h"
#include "tests/app/EqExchangeFixture.h"
#include "tests/support/GraphColumns.h"

namespace lyra::test {
namespace {

class EqExport : public EqExchangeFixture {
 protected:
  void SetUp() override {
    setDeviceBand(0, {40, 0, 105, 0, 120, 0, 19, 0});  // PK -3.0 dB, Q 4
    setDeviceBand(1, {20, 1, 120, 0, 153, 0, 3, 0});   // LS +6.6 dB
    setDeviceBand(2, {112, 0, 150, 0, 130, 0, 4, 0});  // PK +6.0 dB, bypassed below
    setDeviceBand(3, {200, 2, 100, 0, 90, 0, 9, 0});   // HS -6.0 dB
    setDeviceBand(5, {230, 0, 120, 0, 120, 0, 9, 0});  // PK 0 dB: flat
    connect();
  }
  std::string exportSettings(const std::string& name) {
    dialogs.filePaths.push_back(path(name));
    form->areas.exportEqAction->trigger();
    return read(name);
  }
  std::string exportResponse(const std::string& name) {
    dialogs.filePaths.push_back(path(name));
    form->areas.exportResponseAction->trigger();
    return read(name);
  }
  static std::string crlf(const std::string& text) {
    std::string out;
    for (const std::string& line : SplitTextLines(text)) out += line + "\r\n";
    return out;
  }
};

TEST_F(EqExport, TheMainEqIsWrittenWithBypassedAndFlatBandsOff) {
  bypassBox(2)->click();
  const std::string text = exportSettings("eq.txt");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(dialogs.fileDialogs.at(0).filter, "Equaliser settings (*.txt)|*.txt");
  const std::vector<std::string> lines = SplitTextLines(text);
  ASSERT_EQ(lines.size(), 6u) << text;
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  const std::string f0 = bandFieldText(band(0), BandField::Frequency);
  EXPECT_EQ(lines[0], "Filter 1: ON PK Fc " + f0 + " Gain -3.0 dB Q 4");
  EXPECT_EQ(lines[1].rfind("Filter 2: ON LSC Fc ", 0), 0u) << lines[1];
  EXPECT_NE(lines[1].find(" Gain 6.6 dB "), std::string::npos) << lines[1];
  // Bypassed in the window: OFF, with the gain it keeps.
  EXPECT_EQ(lines[2], "Filter 3: OFF PK Fc 500 Hz Gain 6.0 dB Q 1");
  EXPECT_EQ(lines[3].rfind("Filter 4: ON HSC Fc ", 0), 0u) << lines[3];
  EXPECT_EQ(lines[4].rfind("Filter 5: OFF PK ", 0), 0u) << lines[4];
  EXPECT_EQ(lines[5].rfind("Filter 6: OFF PK ", 0), 0u) << lines[5];
}

TEST_F(EqExport, AnExportImportsBackToTheSameIndices) {
  const auto shaped = mainBands();
  exportSettings("eq.txt");
  // The window changes the EQ: a band typed, "Filters reset".
  typeAndEnter(edit("RzEdit94"), "2000");
  form->equalizer.RzButton97->click();
  sentWrites();
  ASSERT_NE(mainBands(), shaped);

  dialogs.filePaths.push_back(path("eq.txt"));
  form->areas.importEqAction->trigger();
  ASSERT_EQ(dialogs.questions.size(), 1u);
  EXPECT_EQ(mainBands(), shaped);
  const std::vector<Frame> frames = sentWrites();
  ASSERT_EQ(frames.size(), 6u);  // no Preamp: the level is not sent
  for (int row = 0; row < kBandsPerWay; ++row) {
    EXPECT_EQ(frames[static_cast<std::size_t>(row)],
              bandFrame(row, shaped[static_cast<std::size_t>(row)]));
    EXPECT_EQ(deviceBand(row), payloadOf(frames[static_cast<std::size_t>(row)]));
  }
}

TEST_F(EqExport, AFailedWriteSaysSoAndLeavesNoFile) {
  dialogs.filePaths.push_back((folder / "no such folder" / "eq.txt").string());
  form->areas.exportEqAction->trigger();
  dialogs.filePaths.push_back((folder / "no such folder" / "r.frd").string());
  form->areas.exportResponseAction->trigger();
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0].text.rfind(std::string(EqExchange::kEqNotSaved) + "\r\r", 0), 0u);
  EXPECT_EQ(dialogs.messages[1].text.rfind(std::string(EqExchange::kResponseNotSaved) + "\r\r", 0),
            0u);
  EXPECT_FALSE(std::filesystem::exists(folder / "no such folder"));
  // A cancelled dialog writes nothing and says nothing.
  form->areas.exportEqAction->trigger();
  EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(EqExport, TheResponseIsTheGraphsMainPathAsFrdOrCsv) {
  // The window's own state: a bypassed band and a dragged marker.
  bypassBox(0)->click();
  const MarkerPosition m = form->graph.marker(ToBandSlot(Way::Main, 3));
  QWidget* image5 = form->graph.Image5();
  QTest::mousePress(image5, Qt::LeftButton, {}, QPoint(m.x, m.y));
  QMouseEvent move(QEvent::MouseMove, QPointF(m.x - 60, m.y + 20),
                   image5->mapToGlobal(QPointF(m.x - 60, m.y + 20)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(image5, &move);
  QTest::mouseRelease(image5, Qt::LeftButton, {}, QPoint(m.x - 60, m.y + 20));

  const std::array<bool, kBandsPerWay> bypass = form->editing.bypass;
  ASSERT_TRUE(bypass[0]);
  EXPECT_TRUE(MagnitudeIsTheGraphsCurve(MainPathSections(form->sessions.image, bypass), *form->curves,
                                        static_cast<int>(Way::Main)));
  const std::vector<ResponsePoint> points = MainResponse(form->sessions.image, bypass, false);
  const std::string frd = exportResponse("main.frd");
  EXPECT_EQ(frd, crlf(WriteFrd(points)));
  EXPECT_EQ(frd.rfind("* LYRAPHONE Main path", 0), 0u);
  const std::string csv = exportResponse("main.CSV");
  EXPECT_EQ(csv, crlf(WriteCsv(points)));
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(dialogs.fileDialogs.at(0).filter, "Frequency response (*.frd *.csv)|*.frd *.csv");
}

}  // namespace
}  // namespace lyra::test
