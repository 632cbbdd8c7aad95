#pragma once
// The initial-data box of a BroadcastMode connection: its two buttons start the group data
// session; the ID field takes digits and Enter; the box's close button disconnects.

#include <QObject>

#include "app/Connection.h"
#include "app/WindowAreas.h"
#include "protocol/Dialogs.h"
#include "sessions/GroupDataSession.h"

namespace lyra {

class GroupInitialData : public QObject {
 public:
  GroupInitialData(WindowAreas& areas, GroupDataSession& session, Connection& connection,
                   Dialogs& dialogs);

  void Button11Click() { session_.fromFile(); }  // "From the computer into a group ..."
  void Button10Click();  // "OK": from the device whose ID the field holds

 protected:
  // The ID field takes digits, Backspace and Enter (which does what "OK" does).
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  WindowAreas& a_;
  GroupDataSession& session_;
  Dialogs& dialogs_;
  int acceptedSourceId_ = 1;  // the field's last accepted DeviceId
};

}  // namespace lyra
