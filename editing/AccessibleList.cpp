#include "editing/AccessibleList.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

namespace lyra::ui {

namespace {

constexpr const char* kMarker = "lyraNamedList";

// The chosen entry is the one selected in the list of entries, where a screen reader looks for
// it, not only while the pop-up is open (the list selects it then itself).
void selectChosenEntry(QComboBox* list) {
  QAbstractItemView* view = list->view();
  if (!view || !view->selectionModel()) return;
  const QModelIndex chosen = list->model()->index(list->currentIndex(), list->modelColumn(),
                                                  list->rootModelIndex());
  QItemSelectionModel* selection = view->selectionModel();
  if (chosen.isValid() && selection->currentIndex() == chosen &&
      selection->selectedIndexes() == QModelIndexList{chosen}) {
    return;
  }
  if (chosen.isValid()) {
    view->selectionModel()->setCurrentIndex(chosen, QItemSelectionModel::ClearAndSelect);
  } else {
    view->selectionModel()->clear();
  }
}

class NamedList final : public QAccessibleWidget {
 public:
  explicit NamedList(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

  QString text(QAccessible::Text t) const override {
    switch (t) {
      case QAccessible::Name: {
        const QString name = list()->accessibleName();
        return name.isEmpty() ? list()->currentText() : name;
      }
      case QAccessible::Value:
        return list()->currentText();
      default:
        return QAccessibleWidget::text(t);
    }
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.expandable = true;
    s.expanded = list()->view() && list()->view()->isVisible();
    s.collapsed = !s.expanded;
    return s;
  }

  QStringList actionNames() const override {
    return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
  }

  void doAction(const QString& action) override {
    if (action == showMenuAction() || action == pressAction()) {
      if (!list()->isEnabled()) return;
      // As a click on the list: the pop-up opens, or closes when it is open.
      if (list()->view() && list()->view()->isVisible()) {
        list()->hidePopup();
      } else {
        list()->showPopup();
      }
      return;
    }
    QAccessibleWidget::doAction(action);
  }

  // The one child is the list of entries (the pop-up's view), whether it is shown or not.
  int childCount() const override { return list()->view() ? 1 : 0; }
  QAccessibleInterface* child(int index) const override {
    if (index != 0 || !list()->view()) return nullptr;
    // The program refills and sets some lists with their signals blocked: the selection is
    // brought up to date whenever a reader comes for the entries.
    selectChosenEntry(list());
    return QAccessible::queryAccessibleInterface(list()->view());
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child && list()->view() && child->object() == list()->view() ? 0 : -1;
  }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

 private:
  QComboBox* list() const { return static_cast<QComboBox*>(object()); }
};

QAccessibleInterface* namedListFactory(const QString&, QObject* object) {
  auto* list = qobject_cast<QComboBox*>(object);
  if (!list || !list->property(kMarker).toBool()) return nullptr;
  return new NamedList(list);
}

}  // namespace

void nameListByItsAccessibleName(QComboBox* list) {
  static const bool installed = [] {
    QAccessible::installFactory(namedListFactory);
    return true;
  }();
  (void)installed;
  list->setProperty(kMarker, true);
  selectChosenEntry(list);
  QObject::connect(list, &QComboBox::currentIndexChanged, list,
                   [list](int) { selectChosenEntry(list); });
  // Qt may have made the list's usual interface already, while the list was being built.
  if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(list);
      made && !dynamic_cast<NamedList*>(made)) {
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
  }
}

}  // namespace lyra::ui
