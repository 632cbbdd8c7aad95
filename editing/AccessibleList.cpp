#include "editing/AccessibleList.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

namespace lyra::ui {

namespace {

constexpr const char* kMarker = "lyraNamedList";

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
      list()->showPopup();
      return;
    }
    QAccessibleWidget::doAction(action);
  }

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
  // Qt may have made the list's usual interface already, while the list was being built.
  if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(list);
      made && !dynamic_cast<NamedList*>(made)) {
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
  }
}

}  // namespace lyra::ui
