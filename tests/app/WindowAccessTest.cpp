// The window for every user: the wait box hides what lies below it, a small screen scrolls the
// layout, a screen reader can tell every control apart, and the buttons have the design's grey.

#include <QAccessible>
#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <map>
#include <set>

#include "app/WindowFit.h"
#include "editing/Controls.h"
#include "tests/app/EditingFixture.h"

namespace lyra::test {
namespace {

// The window connected to device 1, shown and active.
class Access : public EditingFixture {
 protected:
  QWidget& window() { return form->window(); }
  QScrollArea* scroll() { return clientScroll(form->window()); }

  // Every widget of the main window (not of its list pop-ups) that Tab can reach.
  std::vector<QWidget*> focusable() {
    std::vector<QWidget*> out;
    for (QWidget* w : window().findChildren<QWidget*>()) {
      if (w->window() != &window() || !(w->focusPolicy() & Qt::TabFocus)) continue;
      out.push_back(w);
    }
    return out;
  }

  static QString accessibleName(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
  }
  static QString accessibleDescription(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Description) : QString();
  }
};

// What a widget paints of itself and its children, over magenta where it paints nothing.
QImage paintedOverMagenta(QWidget* w) {
  QImage image(w->size(), QImage::Format_RGB32);
  image.fill(Qt::magenta);
  w->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

int magentaPixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == QColor(Qt::magenta);
  }
  return n;
}

TEST_F(Access, TheWaitBoxAndTheOtherBoxesOverTheEditingPagesPaintOpaque) {
  connect();
  form->sessions.presetExchange.showWaitBox(40);
  form->connection.setEditingEnabled(false);
  QApplication::processEvents();
  // The greyed controls below must not show through "Please wait,doing data exchange.".
  EXPECT_EQ(magentaPixels(paintedOverMagenta(form->areas.RzGroupBox1)), 0);
  for (QWidget* box : {static_cast<QWidget*>(form->areas.searchProgressBox),
                       static_cast<QWidget*>(form->areas.searchResultBox),
                       static_cast<QWidget*>(form->areas.initialDataBox)}) {
    EXPECT_EQ(magentaPixels(paintedOverMagenta(box)), 0) << box->objectName().toStdString();
  }
  // On screen, the box's empty right part shows the box, not the graph's black below it.
  const QImage shot = window().grab().toImage();
  const QPoint inside = form->areas.RzGroupBox1->mapTo(&window(), QPoint(326, 8));
  EXPECT_EQ(shot.pixelColor(inside),
            paintedOverMagenta(form->areas.RzGroupBox1).pixelColor(326, 8));
  EXPECT_GT(shot.pixelColor(inside).lightness(), 200);
}

TEST_F(Access, OnALargeScreenTheWindowKeepsTheDesignsSizeWithoutScrollBars) {
  connect();
  fitWindow(form->window(), QSize(1920, 1080));
  QApplication::processEvents();
  EXPECT_EQ(window().width(), 750);
  EXPECT_EQ(window().minimumSize(), window().maximumSize()) << "a fixed size, as designed";
  EXPECT_FALSE(scroll()->verticalScrollBar()->isVisible());
  EXPECT_FALSE(scroll()->horizontalScrollBar()->isVisible());
  EXPECT_EQ(scroll()->viewport()->size(), kClientSize) << "the whole layout is in view";
}

// 1366 x 768 with and without a desktop panel; 1920 x 1080 at 150 % leaves 1280 x 720.
TEST_F(Access, OnASmallScreenEveryControlCanBeScrolledIntoViewAndTheStatusBarStaysInView) {
  connect();
  for (const QSize room : {QSize(1366, 768), QSize(1366, 728), QSize(1280, 720), QSize(1280, 680)}) {
    SCOPED_TRACE(std::to_string(room.width()) + " x " + std::to_string(room.height()));
    fitWindow(form->window(), room);
    QApplication::processEvents();
    EXPECT_LE(window().frameGeometry().height(), room.height()) << "the whole window fits";
    EXPECT_LE(window().frameGeometry().width(), room.width());
    EXPECT_TRUE(scroll()->verticalScrollBar()->isVisible());
    EXPECT_FALSE(scroll()->horizontalScrollBar()->isVisible()) << "the width still fits";
    const QStatusBar* bar = form->window().statusBar();
    EXPECT_LE(bar->geometry().bottom(), window().height() - 1) << "the status bar is in view";

    const QRect view = scroll()->viewport()->rect();
    for (QWidget* w : focusable()) {
      if (!w->isVisible() || !scroll()->widget()->isAncestorOf(w)) continue;
      // Scrolled so that its top left corner is at the view's, as far as the bars go.
      const QPoint inClient = w->mapTo(scroll()->widget(), QPoint(0, 0));
      scroll()->horizontalScrollBar()->setValue(inClient.x());
      scroll()->verticalScrollBar()->setValue(inClient.y());
      const QRect at(w->mapTo(scroll()->viewport(), QPoint(0, 0)), w->size());
      EXPECT_TRUE(view.contains(at)) << w->objectName().toStdString() << " cannot be brought into view";
    }
    // Tab scrolls on its own: from the first control to the last delay edit, each focused
    // control is in view. (The port and device lists are disabled while connected.)
    std::vector<QWidget*> order;
    for (QWidget* w : form->keyboardOrder()) {
      if (w->isEnabled() && w->isVisible()) order.push_back(w);
    }
    order.front()->setFocus(Qt::TabFocusReason);
    for (std::size_t i = 1; i < order.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* now = QApplication::focusWidget();
      ASSERT_EQ(now, order[i]);
      const QRect at(now->mapTo(scroll()->viewport(), QPoint(0, 0)), now->size());
      EXPECT_TRUE(view.contains(at)) << now->objectName().toStdString() << " is out of view";
    }
  }
}

TEST_F(Access, TheScrollBarsOfASmallScreenHaveTheirOwnAccessibleNames) {
  connect();
  fitWindow(form->window(), QSize(1024, 600));
  QApplication::processEvents();
  std::set<QString> names;
  int bars = 0;
  for (QScrollBar* bar : window().findChildren<QScrollBar*>()) {
    if (!bar->isVisible()) continue;
    ++bars;
    const QString name = accessibleName(bar).trimmed();
    EXPECT_FALSE(name.isEmpty()) << bar->parent()->parent()->objectName().toStdString()
                                 << "'s bar has no name";
    EXPECT_TRUE(names.insert(name).second) << name.toStdString();
  }
  EXPECT_GE(bars, 2) << "both directions scroll on this screen";
  EXPECT_EQ(accessibleName(scroll()->verticalScrollBar()), "Scroll the window up and down");
  EXPECT_EQ(accessibleName(scroll()->horizontalScrollBar()), "Scroll the window left and right");
}

TEST_F(Access, EveryFocusableControlAndEverySpinArrowHasItsOwnAccessibleName) {
  connect();
  // The boxes that are shown at other times hold controls too.
  form->areas.initialDataBox->show();
  form->areas.searchResultBox->show();
  form->areas.searchResultList->show();
  std::vector<QWidget*> controls;
  for (QWidget* w : focusable()) {
    if (w->isVisible() && w != elsewhere) controls.push_back(w);  // elsewhere is the test's own
  }
  EXPECT_GT(controls.size(), 50u);
  for (QToolButton* arrow : window().findChildren<QToolButton*>()) controls.push_back(arrow);
  std::map<QString, QString> owners;
  for (QWidget* w : controls) {
    const QString name = accessibleName(w).trimmed();
    EXPECT_FALSE(name.isEmpty()) << w->objectName().toStdString() << " has no name";
    if (name.isEmpty()) continue;
    const auto [at, fresh] = owners.emplace(name, w->objectName());
    EXPECT_TRUE(fresh || at->second == w->objectName())
        << "\"" << name.toStdString() << "\" names both " << at->second.toStdString() << " and "
        << w->objectName().toStdString();
  }
  EXPECT_EQ(accessibleName(control<QWidget>("RzComboBox67")), "Band 2 type")
      << "a list is named by what it sets, not by its entry \"PEQ\"";
  EXPECT_EQ(accessibleName(edit("RzEdit107")), "Band 2 gain");
  EXPECT_EQ(accessibleName(control<QWidget>("RzSpinButtons71Up")), "Band 2 gain up");
  EXPECT_EQ(accessibleName(control<QWidget>("RzCheckBox2")), "Band 2 bypass");
  EXPECT_EQ(accessibleName(edit("RzEdit205")), "High-pass frequency");
  EXPECT_EQ(accessibleName(edit("edt3")), "System level");
}

TEST_F(Access, CaptionsAreTiedToTheirControls) {
  connect();
  const struct {
    const char* caption;
    const char* control;
  } ties[] = {{"comCaption", "RzComboBox1"},  {"deviceIdCaption", "RzComboBox6"},
              {"loadCaption", "RzComboBox10"}, {"saveCaption", "RzComboBox11"},
              {"setIdCaption", "RzEdit2"},     {"HpfCaption", "RzEdit205"},
              {"LpfCaption", "RzEdit206"},     {"initialDataSource", "RzEdit3"}};
  for (const auto& tie : ties) {
    auto* caption = control<QLabel>(tie.caption);
    QWidget* target = control<QWidget>(tie.control);
    ASSERT_NE(caption, nullptr) << tie.caption;
    EXPECT_EQ(caption->buddy(), target) << tie.caption;
    // A screen reader finds the caption as the control's label.
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(target);
    bool labelled = false;
    for (const auto& [other, relation] : iface->relations(QAccessible::Label)) {
      labelled = labelled || other->object() == caption;
    }
    EXPECT_TRUE(labelled) << tie.caption << " is not " << tie.control << "'s label";
  }
}

TEST_F(Access, TheLightTheGraphAndColouredButtonsSayInWordsWhatTheyShow) {
  startWindow();
  scheduler.advanceMs(3100);  // the start-up search has closed its ports again
  EXPECT_EQ(form->areas.connectionPicture->accessibleName(), "Connection: not connected");
  clickConnect();
  scheduler.advanceMs(3000);
  ASSERT_TRUE(connectedCaption());
  EXPECT_EQ(form->areas.connectionPicture->accessibleName(), "Connection: connected");

  QWidget* graph = form->graph.Image5();
  EXPECT_EQ(accessibleName(graph), "Response graph");
  EXPECT_TRUE(accessibleDescription(graph).startsWith("Band 1: 19.7 Hz, 0.0 dB, PEQ. Band 2: "))
      << accessibleDescription(graph).toStdString();
  // A changed band is heard at once.
  const QString frequency = form->equalizer.rows[1].frequency->text();
  form->equalizer.rows[1].gainSpin.downLeft->click();
  EXPECT_TRUE(accessibleDescription(graph).contains("Band 2: " + frequency + ", -0.2 dB, PEQ."))
      << accessibleDescription(graph).toStdString();
  form->equalizer.rows[1].bypass->click();
  EXPECT_TRUE(
      accessibleDescription(graph).contains("Band 2: " + frequency + ", -0.2 dB, PEQ, bypassed."));

  QPushButton* mute = form->levels.btn3;
  EXPECT_EQ(accessibleDescription(mute), "not muted");
  mute->click();
  EXPECT_EQ(accessibleDescription(mute), "muted");
  form->levels.btn2->click();
  EXPECT_EQ(accessibleDescription(form->levels.btn2), "inverted");

  clickConnect();  // disconnect
  scheduler.advanceMs(1100);
  EXPECT_EQ(form->areas.connectionPicture->accessibleName(), "Connection: not connected");
}

// The colour most of a button's pixels have.
QColor mainColour(QWidget* button) {
  const QImage image = button->grab().toImage();
  std::map<QRgb, int> counts;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y)];
  }
  auto most = counts.begin();
  for (auto it = counts.begin(); it != counts.end(); ++it) {
    if (it->second > most->second) most = it;
  }
  return QColor(most->first);
}

TEST_F(Access, IdleButtonsAreTheDesignsLightGrey) {
  connect();
  form->areas.initialDataBox->show();
  int buttons = 0;
  for (QPushButton* b : window().findChildren<QPushButton*>()) {
    if (!b->isVisible()) continue;
    ++buttons;
    EXPECT_EQ(mainColour(b), QColor(224, 224, 224)) << b->objectName().toStdString();
  }
  EXPECT_GE(buttons, 19);
  // The state colours are drawn against it.
  form->levels.btn3->click();
  EXPECT_EQ(mainColour(form->levels.btn3), QColor(255, 0, 0));
}

}  // namespace
}  // namespace lyra::test
