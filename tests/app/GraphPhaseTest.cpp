// "Show phase": off at start, so the graph is as it always was; on, the graph draws the Main
// path's phase from the same sections as its curve, and draws it again on every edit and drag.

#include <QMouseEvent>

#include "graph/GraphDrawing.h"
#include "measure/ResponseData.h"
#include "tests/app/EqExchangeFixture.h"

namespace lyra::test {
namespace {

class GraphPhaseView : public EqExchangeFixture {
 protected:
  void SetUp() override {
    setDeviceBand(0, {40, 0, 105, 0, 120, 0, 19, 0});
    setDeviceBand(2, {112, 0, 170, 0, 130, 0, 4, 0});
    setDeviceBand(3, {200, 2, 100, 0, 90, 0, 9, 0});
    connect();
  }
  QCheckBox* showPhase() const { return control<QCheckBox>("showPhase"); }
  int phasePixels() const {
    const QImage& image = form->graph.graphImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) == kPhaseColour) ++n;
    return n;
  }
  // The phase the graph drew is the Main path's at every column, bypassed bands flat.
  void expectPhaseOfTheWindow() const {
    ASSERT_TRUE(form->graph.phaseDrawn());
    const std::vector<Section> sections = MainPathSections(form->sessions.image, form->editing.bypass);
    for (int i = 0; i < kColumnCount; ++i) {
      const double hz = ColumnFrequency(kFirstColumnX + i);
      ASSERT_NEAR(form->graph.drawnPhaseDeg()[static_cast<std::size_t>(i)],
                  ResponseAt(sections, hz).phaseDeg, 1e-9)
          << "column " << kFirstColumnX + i;
    }
  }
};

TEST_F(GraphPhaseView, OffAtStartOnDrawsTheMainPathsPhaseOffAgainRemovesIt) {
  ASSERT_NE(showPhase(), nullptr);
  EXPECT_EQ(showPhase()->accessibleName(), "Show phase");
  EXPECT_FALSE(showPhase()->isChecked());
  EXPECT_FALSE(form->graph.phaseDrawn());
  EXPECT_EQ(phasePixels(), 0);
  const QImage without = form->graph.graphImage().copy();

  showPhase()->click();
  expectPhaseOfTheWindow();
  EXPECT_GT(phasePixels(), 300);  // the curve and its axis labels, in the phase colour
  const double at1k =
      form->graph.drawnPhaseDeg()[static_cast<std::size_t>(FrequencyToX(1000) - kFirstColumnX)];
  EXPECT_EQ(form->graph.graphImage().pixel(FrequencyToX(1000), PhaseToY(at1k)), kPhaseColour);
  EXPECT_TRUE(sentWrites().empty());  // a view: nothing goes to the device

  showPhase()->click();
  EXPECT_FALSE(form->graph.phaseDrawn());
  EXPECT_EQ(form->graph.graphImage(), without);
}

TEST_F(GraphPhaseView, EveryEditBypassAndDragDrawsItAgain) {
  showPhase()->click();
  const ColumnTotals first = form->graph.drawnPhaseDeg();

  typeAndEnter(edit("RzEdit108"), "-9");  // band 3's gain
  expectPhaseOfTheWindow();
  EXPECT_NE(form->graph.drawnPhaseDeg(), first);

  bypassBox(3)->click();
  ASSERT_TRUE(form->editing.bypassed(3));
  expectPhaseOfTheWindow();

  const ColumnTotals beforeDrag = form->graph.drawnPhaseDeg();
  const MarkerPosition m = form->graph.marker(ToBandSlot(Way::Main, 0));
  QWidget* image5 = form->graph.Image5();
  QTest::mousePress(image5, Qt::LeftButton, {}, QPoint(m.x, m.y));
  for (int step = 1; step <= 3; ++step) {
    const QPointF to(m.x + 25 * step, m.y - 10 * step);
    QMouseEvent move(QEvent::MouseMove, to, image5->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(image5, &move);
    expectPhaseOfTheWindow();
  }
  QTest::mouseRelease(image5, Qt::LeftButton, {}, QPoint(m.x + 75, m.y - 30));
  EXPECT_NE(form->graph.drawnPhaseDeg(), beforeDrag);

  // The high-pass moves the phase too.
  typeAndEnter(edit("RzEdit205"), "200");
  expectPhaseOfTheWindow();
}

TEST_F(GraphPhaseView, TheBoxIsOnTheKeyboardPathAndReadsLightOnDarkAboveThePlot) {
  const std::vector<QWidget*> order = form->keyboardOrder();
  EXPECT_NE(std::find(order.begin(), order.end(), showPhase()), order.end());
  // Over the graph's strip above its frame (row 17), clear of the decibel labels at the left.
  const QRect box = showPhase()->geometry();
  const QPoint imageTopLeft = form->graph.Image5()->pos();
  EXPECT_LE(box.bottom() - imageTopLeft.y(), 16);
  EXPECT_GE(box.left() - imageTopLeft.x(), 100);
  EXPECT_LE(box.right(), form->areas.RzGroupBox8->width());
  // Light text on the graph's own dark, as the strip it sits on.
  const QImage shot = showPhase()->grab().toImage();
  int dark = 0;
  int light = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      const int lightness = shot.pixelColor(x, y).lightness();
      dark += lightness < 60;
      light += lightness > 200;
    }
  }
  EXPECT_GT(dark, shot.width() * shot.height() / 2);
  EXPECT_GT(light, 20);
  // Its caption fits the box at the window's font.
  EXPECT_LE(showPhase()->sizeHint().width(), box.width());
  EXPECT_LE(showPhase()->sizeHint().height(), box.height() + 3);
}

}  // namespace
}  // namespace lyra::test
