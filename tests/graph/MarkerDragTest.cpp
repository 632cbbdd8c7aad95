// Dragging a band marker: the hit box, the drag ranges and snapping, and what one pointer move
// does to the image, the graph and the band's send slot, driven by pointer events on Image5.

#include <QApplication>
#include <QMouseEvent>
#include <algorithm>
#include <memory>

#include "edits/SendBand.h"
#include "graph/GraphDrawing.h"
#include "graph/MarkerDrag.h"
#include "graph/ResponseGraph.h"
#include "sim/SimBus.h"
#include "tests/graph/GraphTestSupport.h"
#include "timing/VirtualScheduler.h"

namespace lyra {
namespace {

using graphtest::At;

TEST(MarkerDrag, APressHitsAMarkerUpTo7PixelsAwayAndTheLowerRowWhenTheyOverlap) {
  const auto initial = InitialMarkers();
  std::array<MarkerPosition, 6> m{};
  std::copy_n(initial.begin() + 18, 6, m.begin());  // the Main Way's
  EXPECT_EQ(m[2], (MarkerPosition{236, 86}));
  for (auto [dx, dy] : {std::pair{7, 0}, {-7, 0}, {0, 7}, {0, -7}, {7, 7}}) {
    EXPECT_EQ(MarkerRowAt(m, 236 + dx, 86 + dy), 2) << dx << "," << dy;
  }
  for (auto [dx, dy] : {std::pair{8, 0}, {-8, 0}, {0, 8}, {0, -8}}) {
    EXPECT_EQ(MarkerRowAt(m, 236 + dx, 86 + dy), -1) << dx << "," << dy;
  }
  m[4] = m[1] = {300, 100};
  EXPECT_EQ(MarkerRowAt(m, 303, 103), 1);
}

TEST(MarkerDrag, EachAxisFollowsInsideItsRangeWhichReachesEveryFrequencyAndGain) {
  const MarkerPosition m{430, 86};
  EXPECT_EQ(DraggedMarker(m, 97, 32), (MarkerPosition{97, 32}));
  EXPECT_EQ(DraggedMarker(m, 689, 198), (MarkerPosition{689, 198}));
  EXPECT_EQ(DraggedMarker(m, 96, 31), m);
  EXPECT_EQ(DraggedMarker(m, 690, 199), m);
  EXPECT_EQ(DraggedFrequencyIndex(97), 0);
  EXPECT_EQ(DraggedFrequencyIndex(689), 243);
  EXPECT_EQ(DraggedGainIndex(32), 180);
  EXPECT_EQ(DraggedGainIndex(198), 0);
}

TEST(MarkerDrag, PointerPositionsMapBackToImagePixels) {
  const QSize image(720, 249);
  EXPECT_EQ(ImagePixelAt({236.0, 86.0}, image, image), QPoint(236, 86));
  // A display scaled by 2 and by 1.5: the pixel under the pointer, never the one after it.
  EXPECT_EQ(ImagePixelAt({473.0, 173.0}, {1440, 498}, image), QPoint(236, 86));
  EXPECT_EQ(ImagePixelAt({354.9, 129.9}, {1080, 373}, image), QPoint(236, 86));
  EXPECT_EQ(ImagePixelAt({-0.5, 0.0}, image, image), QPoint(-1, 0));
}

// The graph of the Main Way on an open port, with the window's wiring of a dragged band: show
// nothing (no panel here), send the band with its row's Bypass box.
class DragTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus.addPort("COM3");
    ASSERT_TRUE(link.openPort("COM3"));
    graph.bypassed = [this](int row) { return bypass[static_cast<std::size_t>(row)]; };
    graph.onBandChanged = [this](BandSlot slot) {
      ++changes;
      sendBand(pump, image, slot, bypass[static_cast<std::size_t>(RowOfSlot(slot))],
               address.BusAddress);
    };
    graph.ShowWay(3);
  }
  void send(QEvent::Type type, QPointF at, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, at, type == QEvent::MouseMove ? Qt::NoButton : button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(graph.Image5(), &event);
  }
  void press(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
    send(QEvent::MouseButtonPress, QPointF(x, y), button);
  }
  void move(int x, int y) { send(QEvent::MouseMove, QPointF(x, y)); }
  void release(int x, int y) { send(QEvent::MouseButtonRelease, QPointF(x, y)); }
  Frame frameOf(int sendSlot) const { return pump.slotFrame(sendSlot); }

  VirtualScheduler scheduler;
  TimerTable timers{scheduler};
  SimBus bus{scheduler};
  std::unique_ptr<SerialDriver> driver = bus.makeDriver();
  SerialLink link{*driver, scheduler};
  BusAddressing address;
  SendPump pump{timers, link, address};

  PresetImage image;
  std::unique_ptr<ResponseCurves> curves = std::make_unique<ResponseCurves>();
  int selectedWay = 3;
  std::array<bool, 6> bypass{};
  int changes = 0;
  ResponseGraph graph{nullptr, image, *curves, selectedWay};
};

TEST_F(DragTest, OneMoveSnapsTheBandRedrawsItAndSendsItsFrame) {
  press(294 + 7, 86 - 7);  // row 3's marker, at the edge of its hit box
  ASSERT_TRUE(graph.dragging());
  EXPECT_EQ(graph.CurrentBandSlot, 21);
  EXPECT_EQ(changes, 0);  // a press alone changes nothing

  move(430, 86);
  EXPECT_EQ(image.band(21).frequency, 136);
  EXPECT_EQ(image.band(21).peqGain, 121);
  EXPECT_EQ(image.band(21).shelfGain, 120);
  EXPECT_EQ(graph.marker(21), (MarkerPosition{430, 85}));  // back on the snapped +0.2 dB
  EXPECT_EQ(At(graph.graphImage(), 430 - 4, 85 - 4), kBandColours[3]);
  EXPECT_EQ(At(graph.graphImage(), 294, 86), kCurveColour);  // the old place shows the curve
  EXPECT_EQ(changes, 1);
  ASSERT_TRUE(pump.isPending(33));
  const Frame expected = {0xA5, 0xA5, 0xA5, 0x00, 0xA1, 0x00, 0x08, 0x00, 0x00, 0x08,
                          0x88, 0x00, 0x79, 0x00, 0x78, 0x00, 0x04, 0x00, 0x2C, 0xAA};
  EXPECT_EQ(frameOf(33), expected);
  for (int slot : {30, 31, 32, 34, 35}) EXPECT_FALSE(pump.isPending(slot)) << slot;
}

TEST_F(DragTest, EveryMoveSendsEvenWhenNothingChangedAndRangesHoldTheLastValue) {
  press(236 + 8, 86);  // a press beside every marker: moves do nothing
  move(430, 100);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(image, PresetImage{});

  press(236, 86, Qt::RightButton);  // any button takes a marker
  ASSERT_EQ(graph.CurrentBandSlot, 20);
  move(689, 32);
  EXPECT_EQ(image.band(20).frequency, 243);
  EXPECT_EQ(image.band(20).peqGain, 180);
  move(720, 10);  // beyond both ranges: the band stays at the ends of its scales
  EXPECT_EQ(image.band(20).frequency, 243);
  EXPECT_EQ(image.band(20).peqGain, 180);
  move(50, 150);  // X below the range keeps the marker's column, Y still follows
  EXPECT_EQ(image.band(20).frequency, 243);
  EXPECT_EQ(graph.marker(20).y, GainToY(ValueOf(GainScale, image.band(20).peqGain)));
  EXPECT_LT(image.band(20).peqGain, 60);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(frameOf(32)[10], 243);
  EXPECT_EQ(frameOf(32)[12], image.band(20).peqGain);

  release(50, 150);
  EXPECT_FALSE(graph.dragging());
  move(300, 100);
  EXPECT_EQ(changes, 3);
}

TEST_F(DragTest, ABypassedRowSendsZeroDecibelsOnThePairItsTypeUses) {
  bypass[0] = true;
  image.band(18).type = kLowShelfBand;
  image.band(18).peqGain = 100;
  graph.RedrawBand(18, kLowShelfBand);
  press(graph.marker(18).x, graph.marker(18).y);
  move(200, 60);
  const std::uint16_t stored = image.band(18).shelfGain;
  EXPECT_NE(stored, 120);  // the image keeps the dragged gain
  Frame frame = frameOf(30);
  EXPECT_EQ(frame[12], 100);  // the PEQ pair as stored
  EXPECT_EQ(frame[13], 0x00);
  EXPECT_EQ(frame[14], 0x78);
  EXPECT_EQ(frame[15], 0x00);

  image.band(18).type = kPeakingBand;
  move(210, 60);
  frame = frameOf(30);
  EXPECT_EQ(frame[12], 0x78);
  EXPECT_EQ(frame[13], 0x00);
  EXPECT_EQ(frame[14], stored);
  // Drawn flat as well: the bypassed band adds nothing to the total.
  for (double db : curves->bandCurve(18)) ASSERT_EQ(db, 0.0);
}

TEST_F(DragTest, OnAScaledDisplayThePointerIsMappedBackToImagePixels) {
  // Image5 shown twice as large: the same marker is hit and the band lands on the same values.
  graph.Image5()->setFixedSize(1440, 498);
  send(QEvent::MouseButtonPress, QPointF(2 * 177 + 1.5, 2 * 86 + 0.5));
  ASSERT_TRUE(graph.dragging());
  EXPECT_EQ(graph.CurrentBandSlot, 19);
  send(QEvent::MouseMove, QPointF(2 * 430 + 1.0, 2 * 86 + 1.0));
  EXPECT_EQ(image.band(19).frequency, 136);
  EXPECT_EQ(image.band(19).peqGain, 121);
}

}  // namespace
}  // namespace lyra
