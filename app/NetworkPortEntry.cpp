#include "app/NetworkPortEntry.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QAbstractItemView>
#include <variant>

#include "serial/NetworkAddress.h"

namespace lyra {

bool askNetworkPort(Dialogs& dialogs, PortList& portList) {
  const auto text = dialogs.askText(
      "Network port", "Address of the serial port on the network (rfc2217://HOST:PORT or tcp://HOST:PORT):",
      [](const std::string& typed) {
        const auto address = parseNetworkAddress(typed);
        const auto* why = std::get_if<std::string>(&address);
        return why ? *why : std::string();
      });
  if (!text) return false;
  const auto address = parseNetworkAddress(*text);
  if (!std::holds_alternative<NetworkAddress>(address)) return false;
  const std::string canonical = formatNetworkAddress(std::get<NetworkAddress>(address));
  portList.addNetworkPort({canonical, canonical});
  return true;
}

NetworkEntryGuard::NetworkEntryGuard(QWidget* portList) { portList->installEventFilter(this); }

bool NetworkEntryGuard::eventFilter(QObject* watched, QEvent* event) {
  auto* list = qobject_cast<QComboBox*>(watched);
  if (list == nullptr || list->view()->isVisible() || moving_) return false;
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool moves = key->modifiers() == Qt::NoModifier &&
                       (key->key() == Qt::Key_Down || key->key() == Qt::Key_End ||
                        key->key() == Qt::Key_PageDown || key->text().trimmed().size() == 1);
    if (!moves) return false;
  } else if (event->type() != QEvent::Wheel) {
    return false;
  }
  // The list handles the event itself here, with the flag up, and the event ends there.
  moving_ = true;
  static_cast<QObject*>(list)->event(event);
  moving_ = false;
  return true;
}

}  // namespace lyra
