#pragma once
// The set-ID field ("Set device ID :") and its "OK": the DeviceId session gives the connected
// device its new ID; the window's DeviceId list follows it.

#include "app/WindowAreas.h"
#include "sessions/DeviceIdSession.h"
#include "protocol/Dialogs.h"
#include "serial/SerialLink.h"

namespace lyra {

class DeviceIdentity {
 public:
  DeviceIdentity(WindowAreas& areas, SerialLink& link, const BusAddressing& address,
                 DeviceIdSession& session, Dialogs& dialogs);

  // "OK", or Enter in the set-ID field.
  void Button1Click();

 private:
  WindowAreas& a_;
  SerialLink& link_;
  const BusAddressing& address_;
  DeviceIdSession& session_;
  Dialogs& dialogs_;
};

}  // namespace lyra
