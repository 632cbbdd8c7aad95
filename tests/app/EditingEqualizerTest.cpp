// The equaliser panel driven through its edits, spin buttons, type lists and Bypass boxes, and
// its bands' markers dragged on the graph, with the frames that reach the simulated device.

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QMouseEvent>
#include <QToolButton>
#include <algorithm>

#include "tests/app/EditingFixture.h"

namespace lyra::test {
namespace {

class EditingEqualizer : public EditingFixture {
 protected:
  // Main band `row` as the device holds it: frequency, type, PEQ gain, shelf gain and Q indices.
  void deviceBand(int row, RowPayload r) {
    ASSERT_TRUE(device.memory().writeRow(static_cast<std::uint8_t>(0x05 + row), 0, r));
  }
  const EqBand& band(int row) const { return form->sessions.image.band(ToBandSlot(Way::Main, row)); }
  static Frame bandFrame(int row, RowPayload r) {
    return write(static_cast<std::uint8_t>(0x05 + row), 0x00, r);
  }
  QToolButton* spin(const char* name, bool up) const {
    return control<QToolButton>(qPrintable(QString(name) + (up ? "Up" : "Down")));
  }
  // Presses Main band `row`'s marker, moves the pointer once to `to` (graph pixels) and lets go.
  void dragMarker(int row, QPoint to) const {
    const MarkerPosition m = form->graph.marker(ToBandSlot(Way::Main, row));
    QWidget* image5 = form->graph.Image5();
    QTest::mousePress(image5, Qt::LeftButton, {}, QPoint(m.x, m.y));
    ASSERT_EQ(form->graph.CurrentBandSlot, ToBandSlot(Way::Main, row));
    QMouseEvent move(QEvent::MouseMove, QPointF(to), image5->mapToGlobal(QPointF(to)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(image5, &move);
    QTest::mouseRelease(image5, Qt::LeftButton, {}, to);
  }
  // Whether Main band `row` adds nothing to the graph's total.
  bool drawnFlat(int row) const {
    const ResponseCurves::Curve& c = form->curves->bandCurve(ToBandSlot(Way::Main, row));
    return std::all_of(c.begin(), c.end(), [](double db) { return db == 0.0; });
  }
};

TEST_F(EditingEqualizer, TypedFrequencyIsClampedSnappedShownAndSent) {
  deviceBand(0, {112, 0, 150, 0, 130, 0, 4, 0});  // 500 Hz, +6.0 dB PEQ, +2.0 dB shelf, Q 1
  deviceBand(1, {33, 0, 120, 0, 120, 0, 4, 0});
  connect();
  QLineEdit* f0 = edit("RzEdit94");
  typeAndEnter(f0, "25000");
  EXPECT_EQ(f0->text(), "21900 Hz");
  EXPECT_EQ(band(0).frequency, 243);
  EXPECT_EQ(sentWrites(), std::vector<Frame>{bandFrame(0, {243, 0, 150, 0, 130, 0, 4, 0})});

  typeAndLeave(f0, "5");
  EXPECT_EQ(f0->text(), "19.7 Hz");
  EXPECT_EQ(sentWrites(), std::vector<Frame>{bandFrame(0, {0, 0, 150, 0, 130, 0, 4, 0})});

  // 20 Hz lies exactly midway between 19.7 and 20.3 Hz and takes the lower entry.
  typeAndEnter(edit("RzEdit95"), "20");
  EXPECT_EQ(edit("RzEdit95")->text(), "19.7 Hz");
  EXPECT_EQ(sentWrites(), std::vector<Frame>{bandFrame(1, {0, 0, 120, 0, 120, 0, 4, 0})});
}

TEST_F(EditingEqualizer, TheKeyFilterDropsLettersAndMinusAndTurnsCommaIntoPoint) {
  connect();
  QLineEdit* f2 = edit("RzEdit96");
  QTest::mouseClick(f2, Qt::LeftButton);
  QTest::keyClicks(f2, "-1a0 0");
  EXPECT_EQ(f2->text(), "100");  // "-", "a" and the blank never reach the edit
  QLineEdit* g2 = edit("RzEdit108");
  QTest::mouseClick(g2, Qt::LeftButton);
  EXPECT_EQ(g2->selectedText(), g2->text());  // the click took the whole text
  QTest::keyClicks(g2, "-1,5");
  EXPECT_EQ(g2->text(), "-1.5");
  QTest::keyClick(g2, Qt::Key_Return);
  EXPECT_EQ(g2->text(), "-1.6 dB");  // -1.5 lies midway between -1.6 and -1.4: the lower one
  EXPECT_EQ(band(2).peqGain, 112);
}

TEST_F(EditingEqualizer, GainAndQAreClampedToTheirScales) {
  connect();
  typeAndEnter(edit("RzEdit106"), "-30");
  EXPECT_EQ(edit("RzEdit106")->text(), "-24.0 dB");
  EXPECT_EQ(band(0).peqGain, 0);
  typeAndEnter(edit("RzEdit107"), "12.1");
  EXPECT_EQ(edit("RzEdit107")->text(), "12.0 dB");
  EXPECT_EQ(band(1).peqGain, 180);
  typeAndEnter(edit("RzEdit99"), "0.1");
  EXPECT_EQ(edit("RzEdit99")->text(), "0.2");
  EXPECT_EQ(band(0).q, 0);
  typeAndLeave(edit("RzEdit102"), "40");
  EXPECT_EQ(edit("RzEdit102")->text(), "36");
  EXPECT_EQ(band(1).q, 179);
  const auto frames = sentWrites();
  ASSERT_EQ(frames.size(), 2u);  // one frame per band: the second edit replaced the first
  EXPECT_EQ(frames[0][12], 0);   // band 1: gain index 0 ...
  EXPECT_EQ(frames[0][16], 0);   // ... and Q index 0
  EXPECT_EQ(frames[1][12], 180);
  EXPECT_EQ(frames[1][16], 179);
}

TEST_F(EditingEqualizer, AnUnchangedOrUnparsableTextSendsAndDrawsNothing) {
  deviceBand(5, {136, 0, 120, 0, 120, 0, 4, 0});  // 1000 Hz
  connect();
  const QImage before = form->graph.graphImage();
  QLineEdit* f5 = edit("RzEdit111");
  QTest::mouseClick(f5, Qt::LeftButton);
  leave();
  // A text that still carries its unit is not a number: it goes back, without a message.
  QTest::mouseClick(f5, Qt::LeftButton);
  QApplication::clipboard()->setText("500 Hz");
  QTest::keyClick(f5, Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(f5->text(), "500 Hz");
  QTest::keyClick(f5, Qt::Key_Return);
  EXPECT_EQ(f5->text(), "1000 Hz");
  leave();
  EXPECT_EQ(band(5).frequency, 136);
  EXPECT_TRUE(sentWrites().empty());
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(form->graph.graphImage(), before);
}

TEST_F(EditingEqualizer, EditsWhileDisconnectedChangeTheImageAndGraphButAreNeverSent) {
  showDisconnected();
  const QImage before = form->graph.graphImage();
  ASSERT_EQ(edit("RzEdit94")->text(), "19.7 Hz");  // the start-up image
  typeAndEnter(edit("RzEdit106"), "6");
  QTest::mouseClick(spin("RzSpinButtons82", true), Qt::LeftButton);
  EXPECT_EQ(band(0).peqGain, 150);
  EXPECT_EQ(band(0).frequency, 1);
  EXPECT_EQ(edit("RzEdit106")->text(), "6.0 dB");
  EXPECT_EQ(edit("RzEdit94")->text(), "20.3 Hz");
  EXPECT_NE(form->graph.graphImage(), before);
  scheduler.advanceMs(3000);
  EXPECT_TRUE(written().empty());
  EXPECT_TRUE(dialogs.messages.empty());

  // The connect reads the device's preset over the edit; nothing of the edit goes out.
  clickConnect();
  scheduler.advanceMs(3000);
  ASSERT_TRUE(connectedCaption());
  scheduler.advanceMs(5000);
  ASSERT_FALSE(written().empty());  // the connect's own reads and polls
  for (const auto& [atMs, bytes] : written()) {
    EXPECT_FALSE(bytes.size() > 6 && bytes[4] == command::kWrite && bytes[6] == 0x05)
        << "a band 1 write at " << atMs << " ms";
  }
  EXPECT_EQ(band(0).peqGain, 120);  // as the device holds it
  EXPECT_EQ(edit("RzEdit106")->text(), "0.0 dB");
}

TEST_F(EditingEqualizer, ChangingTheTypeShowsThatTypesGainAndKeepsBoth) {
  deviceBand(0, {112, 0, 150, 0, 130, 0, 4, 0});
  connect();
  EXPECT_EQ(edit("RzEdit106")->text(), "6.0 dB");
  QComboBox* type = control<QComboBox>("RzComboBox66");
  QTest::keyClick(type, Qt::Key_Down);  // "PEQ" -> "LS"
  EXPECT_EQ(type->currentText(), "LS");
  EXPECT_EQ(edit("RzEdit106")->text(), "2.0 dB");
  EXPECT_EQ(band(0).type, 1);
  EXPECT_EQ(band(0).peqGain, 150);
  EXPECT_EQ(sentWrites(), std::vector<Frame>{bandFrame(0, {112, 1, 150, 0, 130, 0, 4, 0})});
  // A gain typed now is the shelf gain.
  typeAndEnter(edit("RzEdit106"), "-2");
  EXPECT_EQ(band(0).shelfGain, 110);
  EXPECT_EQ(band(0).peqGain, 150);
  QTest::keyClick(type, Qt::Key_Up);
  EXPECT_EQ(edit("RzEdit106")->text(), "6.0 dB");
  EXPECT_EQ(sentWrites(), std::vector<Frame>{bandFrame(0, {112, 0, 150, 0, 110, 0, 4, 0})});
}

TEST_F(EditingEqualizer, SpinButtonsStepOneIndexAndDoNothingAtTheEnds) {
  deviceBand(0, {0, 0, 180, 0, 120, 0, 179, 0});
  connect();
  QTest::mouseClick(spin("RzSpinButtons82", false), Qt::LeftButton);  // frequency already 0
  QTest::mouseClick(spin("RzSpinButtons70", true), Qt::LeftButton);   // gain already 180
  QTest::mouseClick(spin("RzSpinButtons75", true), Qt::LeftButton);   // Q already 179
  EXPECT_TRUE(sentWrites().empty());
  EXPECT_EQ(edit("RzEdit94")->text(), "19.7 Hz");

  QTest::mouseClick(spin("RzSpinButtons82", true), Qt::LeftButton);
  EXPECT_EQ(edit("RzEdit94")->text(), "20.3 Hz");
  QTest::mouseClick(spin("RzSpinButtons70", false), Qt::LeftButton);
  EXPECT_EQ(edit("RzEdit106")->text(), "11.8 dB");
  EXPECT_EQ(sentWrites(), std::vector<Frame>{bandFrame(0, {1, 0, 179, 0, 120, 0, 179, 0})});

  typeAndEnter(edit("RzEdit94"), "30000");
  QTest::mouseClick(spin("RzSpinButtons82", true), Qt::LeftButton);
  EXPECT_EQ(band(0).frequency, 243);
  EXPECT_EQ(sentWrites().size(), 1u);  // the typed value only
}

TEST_F(EditingEqualizer, ASpinClickMovesTheBaselineOfTheEditBeingTyped) {
  deviceBand(3, {80, 0, 120, 0, 120, 0, 4, 0});  // Q 1
  connect();
  QLineEdit* q3 = edit("RzEdit104");
  QTest::mouseClick(q3, Qt::LeftButton);                             // baseline "1"
  QTest::mouseClick(spin("RzSpinButtons80", true), Qt::LeftButton);  // the cursor stays in q3
  EXPECT_EQ(q3->text(), "1.2");
  EXPECT_EQ(band(3).q, 5);
  // Typing the old value back is a change, not the untouched text.
  QTest::mouseClick(q3, Qt::LeftButton);
  QTest::keyClicks(q3, "1");
  QTest::keyClick(q3, Qt::Key_Return);
  EXPECT_EQ(q3->text(), "1");
  EXPECT_EQ(band(3).q, 4);
  EXPECT_EQ(sentWrites(), std::vector<Frame>{bandFrame(3, {80, 0, 120, 0, 120, 0, 4, 0})});
}

TEST_F(EditingEqualizer, BypassSendsZeroDecibelsOnTheTypesPairAndKeepsTheImage) {
  deviceBand(0, {112, 0, 150, 0, 130, 0, 4, 0});
  deviceBand(1, {33, 2, 100, 0, 140, 0, 4, 0});  // high shelf, +4.0 dB
  connect();
  QCheckBox* bypass0 = control<QCheckBox>("RzCheckBox1");
  QTest::mouseClick(bypass0, Qt::LeftButton);
  ASSERT_TRUE(bypass0->isChecked());
  QTest::mouseClick(control<QCheckBox>("RzCheckBox2"), Qt::LeftButton);
  EXPECT_EQ(band(0).peqGain, 150);
  EXPECT_EQ(sentWrites(), (std::vector<Frame>{bandFrame(0, {112, 0, 0x78, 0, 130, 0, 4, 0}),
                                              bandFrame(1, {33, 2, 100, 0, 0x78, 0, 4, 0})}));
  QTest::mouseClick(bypass0, Qt::LeftButton);
  EXPECT_EQ(sentWrites(), std::vector<Frame>{bandFrame(0, {112, 0, 150, 0, 130, 0, 4, 0})});
}

TEST_F(EditingEqualizer, TwoQuickChangesOfOneBandGoOutAsOneFrameWithTheSecondValue) {
  connect();
  typeAndEnter(edit("RzEdit110"), "3");  // band 5 gain
  typeAndEnter(edit("RzEdit110"), "-3");
  const auto frames = sentWrites();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0][6], 0x09);
  EXPECT_EQ(frames[0][12], 105);  // -3.0 dB
}

TEST_F(EditingEqualizer, ADraggedMarkerAndTypedEditsGoOutLowestSlotFirst) {
  connect();
  typeAndEnter(edit("RzEdit109"), "4");  // band 4, slot 33
  typeAndEnter(edit("RzEdit112"), "2");  // band 6, slot 35
  // Band 1's marker sits on 19.7 Hz at 0 dB; dragging it down lowers its gain (slot 30).
  const MarkerPosition m = form->graph.marker(ToBandSlot(Way::Main, 0));
  QWidget* image5 = form->graph.Image5();
  QTest::mousePress(image5, Qt::LeftButton, {}, QPoint(m.x, m.y));
  QMouseEvent move(QEvent::MouseMove, QPointF(m.x + 40, m.y + 30),
                   image5->mapToGlobal(QPointF(m.x + 40, m.y + 30)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(image5, &move);
  QTest::mouseRelease(image5, Qt::LeftButton, {}, QPoint(m.x + 40, m.y + 30));
  ASSERT_NE(band(0).peqGain, 120);
  const auto frames = sentWrites();
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0][6], 0x05);
  EXPECT_EQ(frames[1][6], 0x08);
  EXPECT_EQ(frames[2][6], 0x0A);
}

TEST_F(EditingEqualizer, ADraggedBypassedBandGoesOutFlatAsATypedEditOfItDoes) {
  deviceBand(0, {112, 0, 150, 0, 130, 0, 4, 0});  // 500 Hz, +6.0 dB PEQ, +2.0 dB shelf
  connect();
  QCheckBox* bypass0 = control<QCheckBox>("RzCheckBox1");
  QTest::mouseClick(bypass0, Qt::LeftButton);
  EXPECT_EQ(sentWrites(), std::vector<Frame>{bandFrame(0, {112, 0, 0x78, 0, 130, 0, 4, 0})});
  typeAndEnter(edit("RzEdit106"), "3");
  EXPECT_EQ(band(0).peqGain, 135);
  EXPECT_EQ(sentWrites(), std::vector<Frame>{bandFrame(0, {112, 0, 0x78, 0, 130, 0, 4, 0})});

  // The top right corner of the drag ranges: 21900 Hz and +12.0 dB, in the image and the row's
  // edits; the frame carries 0 dB on the PEQ pair, and the band is drawn flat.
  dragMarker(0, {689, 32});
  EXPECT_EQ(band(0).frequency, 243);
  EXPECT_EQ(band(0).peqGain, 180);
  EXPECT_EQ(edit("RzEdit94")->text(), "21900 Hz");
  EXPECT_EQ(edit("RzEdit106")->text(), "12.0 dB");
  EXPECT_EQ(sentWrites(), std::vector<Frame>{bandFrame(0, {243, 0, 0x78, 0, 130, 0, 4, 0})});
  EXPECT_TRUE(drawnFlat(0));

  // Unchecked, the band goes out and is drawn with the gain the drag gave it.
  QTest::mouseClick(bypass0, Qt::LeftButton);
  EXPECT_EQ(sentWrites(), std::vector<Frame>{bandFrame(0, {243, 0, 180, 0, 130, 0, 4, 0})});
  EXPECT_FALSE(drawnFlat(0));
  // And so does the next drag.
  dragMarker(0, {430, 86});
  EXPECT_EQ(sentWrites(), std::vector<Frame>{bandFrame(0, {136, 0, 121, 0, 130, 0, 4, 0})});
}

TEST_F(EditingEqualizer, TheCurveFollowsBypassWhenABoxTogglesAndWhenADecodedPresetClearsIt) {
  deviceBand(0, {112, 0, 150, 0, 130, 0, 4, 0});  // 500 Hz, +6.0 dB
  deviceBand(1, {33, 0, 120, 0, 120, 0, 4, 0});   // 50 Hz, 0 dB
  connect();
  const QImage withBand0 = form->graph.graphImage();
  ASSERT_FALSE(drawnFlat(0));
  QCheckBox* bypass0 = control<QCheckBox>("RzCheckBox1");
  QTest::mouseClick(bypass0, Qt::LeftButton);
  EXPECT_TRUE(form->editing.bypassed(0));
  EXPECT_TRUE(drawnFlat(0));
  EXPECT_NE(form->graph.graphImage(), withBand0);
  // Another row's edit draws the Way again; the bypassed band stays flat, the other rows do not.
  typeAndEnter(edit("RzEdit107"), "6");
  EXPECT_TRUE(drawnFlat(0));
  EXPECT_FALSE(drawnFlat(1));
  typeAndEnter(edit("RzEdit107"), "0");
  QTest::mouseClick(bypass0, Qt::LeftButton);
  EXPECT_FALSE(form->editing.bypassed(0));
  EXPECT_EQ(form->graph.graphImage(), withBand0);

  // Bypassed again, then a reconnect decodes the device's preset (band 1 at 0 dB, as it was last
  // sent): every row's Bypass is off, in the state and in the boxes.
  QTest::mouseClick(bypass0, Qt::LeftButton);
  ASSERT_EQ(sentWrites(), (std::vector<Frame>{bandFrame(0, {112, 0, 0x78, 0, 130, 0, 4, 0}),
                                              bandFrame(1, {33, 0, 120, 0, 120, 0, 4, 0})}));
  disconnect();
  clickConnect();
  scheduler.advanceMs(3000);
  ASSERT_TRUE(connectedCaption());
  EXPECT_FALSE(bypass0->isChecked());
  EXPECT_FALSE(form->editing.bypassed(0));
  EXPECT_EQ(band(0).peqGain, 120);
  // So band 1's gain typed back goes out as typed and is drawn: the picture of the first connect.
  sentWrites();
  typeAndEnter(edit("RzEdit106"), "6");
  EXPECT_EQ(sentWrites(), std::vector<Frame>{bandFrame(0, {112, 0, 150, 0, 130, 0, 4, 0})});
  EXPECT_FALSE(drawnFlat(0));
  EXPECT_EQ(form->graph.graphImage(), withBand0);
}

TEST_F(EditingEqualizer, ADragMovesTheBaselineOfTheEditBeingTypedOnly) {
  deviceBand(0, {112, 0, 120, 0, 120, 0, 4, 0});  // 500 Hz, 0 dB
  connect();
  QLineEdit* g0 = edit("RzEdit106");
  QTest::mouseClick(g0, Qt::LeftButton);
  ASSERT_EQ(form->editing.BaselineText, "0.0 dB");
  dragMarker(0, {430, 86});  // the graph takes no focus: the cursor stays in the gain edit
  ASSERT_TRUE(g0->hasFocus());
  EXPECT_EQ(edit("RzEdit94")->text(), "1000 Hz");
  EXPECT_EQ(g0->text(), "0.2 dB");
  // The edit being typed shows the band's new gain, so that is its unchanged text now.
  EXPECT_EQ(form->editing.BaselineText, "0.2 dB");
  EXPECT_EQ(sentWrites(), std::vector<Frame>{bandFrame(0, {136, 0, 121, 0, 120, 0, 4, 0})});
  leave();
  EXPECT_TRUE(sentWrites().empty());
  EXPECT_EQ(g0->text(), "0.2 dB");

  // With the cursor in the row's Q edit, which the drag does not show, the baseline stays its own.
  QLineEdit* q0 = edit("RzEdit99");
  QTest::mouseClick(q0, Qt::LeftButton);
  ASSERT_EQ(form->editing.BaselineText, "1");
  dragMarker(0, {689, 32});
  EXPECT_EQ(g0->text(), "12.0 dB");
  EXPECT_EQ(form->editing.BaselineText, "1");
  leave();
  EXPECT_EQ(sentWrites(), std::vector<Frame>{bandFrame(0, {243, 0, 180, 0, 120, 0, 4, 0})});
}

}  // namespace
}  // namespace lyra::test
