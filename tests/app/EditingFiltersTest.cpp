// The high-pass and low-pass filters, "Filters reset" and "Bass Enhancer", driven through their
// controls, with the frames that reach the simulated device.

#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include "editing/Controls.h"
#include "tests/app/EditingFixture.h"

namespace lyra::test {
namespace {

class EditingFilters : public EditingFixture {
 protected:
  std::vector<int> progress;  // the wait box's bar after each slot frame
  const WaySettings& main() const { return form->sessions.image.way(Way::Main); }
  static Frame filterFrame(std::uint8_t hpf, std::uint8_t hpfType, std::uint8_t lpf,
                           std::uint8_t lpfType) {
    return write(0x04, 0x00, {hpf, hpfType, 0, 0, lpf, lpfType, 0, 0});
  }
};

TEST_F(EditingFilters, TypedHighPassIsSnappedAndSentWithTheUnchangedLowPass) {
  connect();
  ASSERT_EQ(main().lpfFrequency, 243);
  typeAndEnter(edit("RzEdit205"), "30");  // 29.5 and 30.4 Hz: 30.4 is nearer
  EXPECT_EQ(edit("RzEdit205")->text(), "30.4 Hz");
  EXPECT_EQ(main().hpfFrequency, 15);
  EXPECT_EQ(sentWrites(), std::vector<Frame>{filterFrame(15, 0, 243, 0)});
  // A text that is no number brings the frequency back and sends nothing.
  QTest::mouseClick(edit("RzEdit205"), Qt::LeftButton);
  QTest::keyClick(edit("RzEdit205"), Qt::Key_Backspace);
  QTest::keyClick(edit("RzEdit205"), Qt::Key_Return);
  EXPECT_EQ(edit("RzEdit205")->text(), "30.4 Hz");
  EXPECT_TRUE(sentWrites().empty());
}

TEST_F(EditingFilters, TheTypeListStoresItsIndexAndTheSpinStopsAtTheEnd) {
  connect();
  QComboBox* lpfType = control<QComboBox>("RzComboBox71");
  for (int i = 0; i < 7; ++i) QTest::keyClick(lpfType, Qt::Key_Down);
  EXPECT_EQ(lpfType->currentText(), "24db-LR");
  EXPECT_EQ(main().lpfType, 7);
  QTest::mouseClick(control<QToolButton>("RzSpinButtons182Up"), Qt::LeftButton);  // at 21900 Hz
  EXPECT_EQ(main().lpfFrequency, 243);
  EXPECT_EQ(sentWrites(), std::vector<Frame>{filterFrame(0, 0, 243, 7)});
  QTest::mouseClick(control<QToolButton>("RzSpinButtons182Down"), Qt::LeftButton);
  EXPECT_EQ(edit("RzEdit206")->text(), "21300 Hz");
  EXPECT_EQ(sentWrites(), std::vector<Frame>{filterFrame(0, 0, 242, 7)});
}

TEST_F(EditingFilters, TypedFrequenciesOutsideTheScaleAreClampedToItsEndsAndSent) {
  connect();
  QLineEdit* hpf = edit("RzEdit205");
  QLineEdit* lpf = edit("RzEdit206");
  typeAndEnter(lpf, "1000");
  typeAndEnter(hpf, "1000");
  ASSERT_EQ(sentWrites(), std::vector<Frame>{filterFrame(136, 0, 136, 0)});

  typeAndEnter(lpf, "25000");
  EXPECT_EQ(lpf->text(), "21900 Hz");
  EXPECT_EQ(main().lpfFrequency, 243);
  EXPECT_EQ(sentWrites(), std::vector<Frame>{filterFrame(136, 0, 243, 0)});

  typeAndLeave(hpf, "5");
  EXPECT_EQ(hpf->text(), "19.7 Hz");
  EXPECT_EQ(main().hpfFrequency, 0);
  EXPECT_EQ(sentWrites(), std::vector<Frame>{filterFrame(0, 0, 243, 0)});
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(EditingFilters, SpinClicksPastEitherEndOfTheScaleSendNothing) {
  connect();
  ASSERT_EQ(main().hpfFrequency, 0);
  ASSERT_EQ(main().lpfFrequency, 243);
  ASSERT_TRUE(sentWrites().empty());  // nothing pending that could hide a frame
  const QImage before = form->graph.graphImage();
  QTest::mouseClick(control<QToolButton>("RzSpinButtons182Up"), Qt::LeftButton);
  QTest::mouseClick(control<QToolButton>("RzSpinButtons181Down"), Qt::LeftButton);
  EXPECT_EQ(edit("RzEdit206")->text(), "21900 Hz");
  EXPECT_EQ(edit("RzEdit205")->text(), "19.7 Hz");
  EXPECT_EQ(main().lpfFrequency, 243);
  EXPECT_EQ(main().hpfFrequency, 0);
  EXPECT_TRUE(sentWrites().empty());
  EXPECT_EQ(form->graph.graphImage(), before);
}

TEST_F(EditingFilters, AHighPassAboveTheLowPassIsAccepted) {
  connect();
  typeAndLeave(edit("RzEdit206"), "1000");
  typeAndEnter(edit("RzEdit205"), "10000");
  EXPECT_EQ(sentWrites(), std::vector<Frame>{filterFrame(216, 0, 136, 0)});
}

TEST_F(EditingFilters, FiltersResetSendsSixBandsWithItsProgressInTheWaitBox) {
  for (std::uint8_t row = 0; row < 6; ++row) {
    const std::uint8_t type = row == 2 ? 1 : 0;  // band 3 is a low shelf
    ASSERT_TRUE(
        device.memory().writeRow(static_cast<std::uint8_t>(0x05 + row), 0,
                                 std::array<std::uint8_t, 8>{57, type, 150, 0, 90, 0, 10, 0}));
  }
  connect();
  QWidget* wait = form->areas.RzGroupBox1;
  form->sessions.pump.onSlotWritten = [this, chained = form->sessions.pump.onSlotWritten] {
    chained();
    progress.push_back(form->areas.waitProgress->value());
  };
  QTest::mouseClick(control<QPushButton>("RzButton97"), Qt::LeftButton);
  EXPECT_TRUE(wait->isVisible());
  EXPECT_EQ(wait->pos(), QPoint(208, 512));
  EXPECT_EQ(form->areas.waitProgress->value(), 0);
  EXPECT_FALSE(form->areas.RzGroupBox12->isEnabled());
  EXPECT_FALSE(form->areas.RzGroupBox8->isEnabled());
  for (const char* gain :
       {"RzEdit106", "RzEdit107", "RzEdit108", "RzEdit109", "RzEdit110", "RzEdit113"}) {
    EXPECT_EQ(edit(gain)->text(), "0") << gain;
  }
  const auto frames = sentWrites();
  ASSERT_EQ(frames.size(), 6u);
  for (std::uint8_t row = 0; row < 6; ++row) {
    const bool shelf = row == 2;
    EXPECT_EQ(frames[row], write(static_cast<std::uint8_t>(0x05 + row), 0,
                                 {57, static_cast<std::uint8_t>(shelf ? 1 : 0),
                                  shelf ? std::uint8_t{150} : std::uint8_t{120}, 0,
                                  shelf ? std::uint8_t{120} : std::uint8_t{90}, 0, 10, 0}))
        << "row " << int{row};
  }
  EXPECT_EQ(progress, (std::vector<int>{16, 32, 48, 64, 80, 96}));
  EXPECT_FALSE(wait->isVisible());
  EXPECT_TRUE(form->areas.RzGroupBox12->isEnabled());
  EXPECT_EQ(form->sessions.image.band(ToBandSlot(Way::Main, 0)).shelfGain, 90);  // the other gain stays
}

TEST_F(EditingFilters, FiltersResetDoesNothingWithoutAPortAndAConnectForgetsItsProgress) {
  startWindow();
  scheduler.advanceMs(3100);
  form->sessions.image.band(ToBandSlot(Way::Main, 0)).peqGain = 150;
  QTest::mouseClick(control<QPushButton>("RzButton97"), Qt::LeftButton);
  EXPECT_EQ(form->sessions.image.band(ToBandSlot(Way::Main, 0)).peqGain, 150);
  EXPECT_FALSE(form->areas.RzGroupBox1->isVisibleTo(&form->window()));

  clickConnect();
  scheduler.advanceMs(3000);
  QTest::mouseClick(control<QPushButton>("RzButton97"), Qt::LeftButton);
  scheduler.advanceMs(1200);  // two of six frames out
  ASSERT_TRUE(form->editingWiring.filtersReset.running());
  // The connect button is disabled with its box now; a lost link disconnects by the same path.
  EXPECT_FALSE(form->areas.Button3->isEnabled() && form->areas.GroupBox2->isEnabled());
  form->connection.Button3Click();
  scheduler.advanceMs(2100);
  ASSERT_FALSE(connectedCaption());
  EXPECT_FALSE(form->areas.RzGroupBox1->isVisibleTo(&form->window()));
  EXPECT_TRUE(form->areas.RzGroupBox12->isEnabled());
  clickConnect();
  scheduler.advanceMs(3000);
  EXPECT_FALSE(form->editingWiring.filtersReset.running());
  EXPECT_EQ(form->editingWiring.filtersReset.count(), 0);
  EXPECT_FALSE(form->areas.RzGroupBox1->isVisibleTo(&form->window()));
}

TEST_F(EditingFilters, BassEnhancerTogglesItsColourAndSendsTheMainChannelWithTheBtlFlag) {
  ASSERT_TRUE(
      device.memory().writeRow(0x03, 0, std::array<std::uint8_t, 8>{0, 0, 0x2D, 0x01, 0, 0, 0, 1}));
  connect();
  QPushButton* bass = control<QPushButton>("RzButton98");
  QTest::mouseClick(bass, Qt::LeftButton);
  EXPECT_EQ(ui::buttonColour(bass), QColor(255, 0, 0));
  EXPECT_EQ(form->sessions.image.main.bassEnhancer, 1);
  EXPECT_EQ(sentWrites(), std::vector<Frame>{write(0x03, 0, {1, 0, 0x2D, 0x01, 0, 0, 0, 1})});
  QTest::mouseClick(bass, Qt::LeftButton);
  EXPECT_EQ(ui::buttonColour(bass), QColor(224, 224, 224));
  EXPECT_EQ(sentWrites(), std::vector<Frame>{write(0x03, 0, {0, 0, 0x2D, 0x01, 0, 0, 0, 1})});
}

}  // namespace
}  // namespace lyra::test
