#pragma once
// The search area of the window: "Search device ID" (Button8 and its menu twin), the start-up
// search 10 ms after the window is up, the progress box, Cancel, and the result box. The
// searching itself is the SearchSession's.

#include "app/Connection.h"
#include "app/WindowAreas.h"
#include "protocol/Dialogs.h"
#include "sessions/SearchSession.h"
#include "serial/SerialLink.h"
#include "timing/TimerTable.h"

namespace lyra {

class DeviceSearch {
 public:
  static constexpr int kFullAddresses = SearchSession::kFullAddresses;
  static constexpr int kFullProbeWaitMs = SearchSession::kFullProbeWaitMs;
  static constexpr int kStartupAddresses = SearchSession::kStartupAddresses;
  static constexpr int kStartupProbeWaitMs = SearchSession::kStartupProbeWaitMs;

  // searchCancel is the window's SearchCancel: set by Cancel and when the window closes.
  DeviceSearch(WindowAreas& areas, TimerTable& timers, SerialLink& link, SearchSession& session,
               Connection& connection, Dialogs& dialogs, bool& searchCancel);

  // "Search device ID": refused while connected.
  void ID1Click();
  // The start-up search, 10 ms after the window is up (Timer124, once); then the window shows
  // its areas, and the result for 3 s (tmr1).
  void Timer124Timer();
  // "Search result": the result box instead of the editing pages; "Close" and back undo it.
  void N14Click();
  void RzButton11Click();

  bool running() const { return running_; }
  const SearchHits& hits() const { return session_.hits(); }

 private:
  void tmr1Timer();
  void search(const SearchSession::Plan& plan);
  void showResults();

  WindowAreas& a_;
  TimerTable& timers_;
  SerialLink& link_;
  SearchSession& session_;
  Connection& connection_;
  Dialogs& dialogs_;
  bool& searchCancel_;
  bool running_ = false;
};

}  // namespace lyra
