// The drop-down lists as a screen reader meets them, through Qt's accessibility interfaces: each
// list is named by what it sets, its chosen entry is its value and the selected one of its
// entries, and "show menu" opens the pop-up of an enabled list only.

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>

#include "tests/app/EditingFixture.h"

namespace lyra::test {
namespace {

class ListAccess : public EditingFixture {
 protected:
  static QAccessibleInterface* of(QWidget* w) { return QAccessible::queryAccessibleInterface(w); }

  // The entries as the list's child offers them, and which of them are selected.
  static void expectEntries(QComboBox* list) {
    SCOPED_TRACE(list->objectName().toStdString());
    QAccessibleInterface* iface = of(list);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::ComboBox);
    EXPECT_EQ(iface->text(QAccessible::Value), list->currentText()) << "the chosen entry";
    ASSERT_EQ(iface->childCount(), 1) << "the list of entries";
    QAccessibleInterface* entries = iface->child(0);
    ASSERT_NE(entries, nullptr);
    EXPECT_EQ(entries->role(), QAccessible::List);
    EXPECT_EQ(iface->indexOfChild(entries), 0);
    ASSERT_EQ(entries->childCount(), list->count());
    QStringList selected;
    for (int i = 0; i < entries->childCount(); ++i) {
      QAccessibleInterface* entry = entries->child(i);
      ASSERT_NE(entry, nullptr) << i;
      EXPECT_EQ(entry->text(QAccessible::Name), list->itemText(i)) << i;
      if (entry->state().selected) selected << entry->text(QAccessible::Name);
    }
    EXPECT_EQ(selected, QStringList{list->currentText()}) << "the chosen entry is selected";
  }
};

TEST_F(ListAccess, EveryListOffersItsEntriesAndItsChosenEntry) {
  connect();
  QComboBox* deviceIds = control<QComboBox>("RzComboBox6");
  ASSERT_NE(deviceIds, nullptr);
  expectEntries(deviceIds);
  EXPECT_EQ(of(deviceIds)->text(QAccessible::Value), "1");
  // Another entry chosen, by the program or by the user: the value and the selection follow.
  deviceIds->setCurrentIndex(2);
  EXPECT_EQ(of(deviceIds)->text(QAccessible::Value), "3");
  expectEntries(deviceIds);
  deviceIds->setCurrentIndex(0);

  QComboBox* bandType = control<QComboBox>("RzComboBox67");
  ASSERT_NE(bandType, nullptr);
  EXPECT_EQ(of(bandType)->text(QAccessible::Name), "Band 2 type");
  bandType->setCurrentIndex(2);
  expectEntries(bandType);
  int lists = 0;
  for (QComboBox* list : form->window().findChildren<QComboBox*>()) {
    if (list->count() == 0) continue;
    ++lists;
    expectEntries(list);
  }
  EXPECT_GE(lists, 10);
}

TEST_F(ListAccess, ShowMenuOpensAnEnabledListAndNeverADisabledOne) {
  connect();
  // While connected, the port and DeviceId lists are disabled.
  QComboBox* portList = control<QComboBox>("RzComboBox1");
  ASSERT_NE(portList, nullptr);
  ASSERT_FALSE(portList->isEnabled());
  QAccessibleActionInterface* action = of(portList)->actionInterface();
  ASSERT_NE(action, nullptr);
  ASSERT_TRUE(action->actionNames().contains(QAccessibleActionInterface::showMenuAction()));
  action->doAction(QAccessibleActionInterface::showMenuAction());
  QApplication::processEvents();
  EXPECT_FALSE(portList->view()->isVisible()) << "a disabled list's pop-up stays closed";
  action->doAction(QAccessibleActionInterface::pressAction());
  QApplication::processEvents();
  EXPECT_FALSE(portList->view()->isVisible());

  QComboBox* bandType = control<QComboBox>("RzComboBox67");
  ASSERT_TRUE(bandType->isEnabled());
  QAccessibleActionInterface* open = of(bandType)->actionInterface();
  open->doAction(QAccessibleActionInterface::showMenuAction());
  QApplication::processEvents();
  EXPECT_TRUE(bandType->view()->isVisible());
  EXPECT_TRUE(of(bandType)->state().expanded);
  open->doAction(QAccessibleActionInterface::showMenuAction());
  QApplication::processEvents();
  EXPECT_FALSE(bandType->view()->isVisible()) << "the same action closes it again";
}

}  // namespace
}  // namespace lyra::test
