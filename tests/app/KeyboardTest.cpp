// Tab walks the editing pages row by row through the equaliser, then the filters, the levels and
// the delays, and every control on the way takes the focus.

#include <QApplication>
#include <QTest>

#include "tests/app/WindowFixture.h"

namespace lyra::test {
namespace {

class Keyboard : public WindowFixture {};

QStringList expectedEditingOrder() {
  const char* rows[6][4] = {{"RzEdit94", "RzEdit99", "RzEdit106", "RzComboBox66"},
                            {"RzEdit95", "RzEdit102", "RzEdit107", "RzComboBox67"},
                            {"RzEdit96", "RzEdit103", "RzEdit108", "RzComboBox72"},
                            {"RzEdit97", "RzEdit104", "RzEdit109", "RzComboBox73"},
                            {"RzEdit98", "RzEdit105", "RzEdit110", "RzComboBox74"},
                            {"RzEdit111", "RzEdit112", "RzEdit113", "RzComboBox75"}};
  // The spin arrows are no Tab stops: Up and Down in the edits do their work.
  QStringList order;
  for (int r = 0; r < 6; ++r) {
    for (int field = 0; field < 4; ++field) order << rows[r][field];
    order << QString("RzCheckBox%1").arg(r + 1);
  }
  order << "RzButton97" << "RzButton98" << "RzEdit205" << "RzComboBox69" << "RzEdit206"
        << "RzComboBox71" << "TrackBar1" << "btn1" << "edt3"
        << "RzButton6" << "trckbr1" << "edt2" << "btn3" << "btn2" << "ScrollBar1" << "RzEdit18"
        << "scrlbr1" << "edt1";
  return order;
}

TEST_F(Keyboard, TabWalksTheEditingPagesRowByRowThenFiltersLevelsAndDelays) {
  addDevice(1);
  startWindow();
  scheduler.advanceMs(3100);  // the editing pages are shown
  form->window().show();
  QApplication::setActiveWindow(&form->window());
  QWidget* first = control<QWidget>("RzEdit94");
  first->setFocus(Qt::TabFocusReason);
  ASSERT_EQ(QApplication::focusWidget(), first);

  const QStringList expected = expectedEditingOrder();
  QStringList visited;
  for (int i = 0; i < expected.size(); ++i) {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr) << "after " << visited.join(", ").toStdString();
    visited << focused->objectName();
    QTest::keyClick(focused, Qt::Key_Tab);
  }
  EXPECT_EQ(visited, expected);
  // Nothing typed or tabbed through sent anything: no port was open.
  EXPECT_TRUE(written().empty());
}

TEST_F(Keyboard, TheMenusHaveMnemonicsWithTheirTextsUnchanged) {
  startWindow();
  EXPECT_EQ(form->areas.fileMenu->title(), "&File");
  EXPECT_EQ(form->areas.helpMenu->title(), "&Help");
  EXPECT_EQ(form->areas.loadPresetAction->text().remove('&'), "Load a preset from PC");
  EXPECT_EQ(form->areas.saveAllAction->text().remove('&'), "Save all presets to PC");
  EXPECT_EQ(form->areas.exitAction->text().remove('&'), "Exit");
}

}  // namespace
}  // namespace lyra::test
