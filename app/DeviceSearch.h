#pragma once
// Finding the devices on the bus: the full search ("Search device ID") and the short search that
// runs once at start-up.
//
// Both probe every port of the list, from the last entry to the first, with the status poll to
// one BusAddress at a time; a status reply while the search runs is a hit for the port and the
// address probed last. The full search probes 0..255 at 100 ms (about 25.6 s a port), the
// start-up search DeviceIds 1..10 at 500 ms. Each runs inside one click or timer tick and keeps
// the window alive by letting the event loop run before every probe and during every wait;
// Cancel, or closing the window, ends it at its next step. However it ends, the port it used is
// closed and the program is left disconnected with PortNumber -1.

#include <string>
#include <vector>

#include "app/Connection.h"
#include "app/WindowAreas.h"
#include "preset/ReplyParser.h"
#include "protocol/LinkSupervisor.h"
#include "protocol/SearchHits.h"
#include "protocol/SendPump.h"
#include "serial/PortList.h"
#include "serial/SerialLink.h"
#include "timing/Scheduler.h"
#include "timing/TimerTable.h"

namespace lyra {

class DeviceSearch {
 public:
  static constexpr int kFullAddresses = 256;
  static constexpr int kFullProbeWaitMs = 100;
  static constexpr int kStartupAddresses = 10;  // DeviceIds 1..10
  static constexpr int kStartupProbeWaitMs = 500;
  static constexpr int kReopenWaitMs = 100;  // after closing one port before opening the next

  // searchCancel is the window's SearchCancel: set by Cancel and when the window closes.
  DeviceSearch(WindowAreas& areas, Scheduler& scheduler, TimerTable& timers, SerialLink& link,
               PortList& portList, SendPump& pump, LinkSupervisor& supervisor,
               WaitingFlags& flags, ReplyParser& parser, Connection& connection, Dialogs& dialogs,
               bool& searchCancel);

  // "Search device ID" (Button8 and its menu twin): refused while connected.
  void ID1Click();
  // The start-up search, 10 ms after the window is up; then the window shows its areas.
  void Timer124Timer();
  // "Search result": the result box instead of the editing pages; "Close" and back undo it.
  void N14Click();
  void RzButton11Click();

  bool running() const { return running_; }
  const SearchHits& hits() const { return hits_; }

 private:
  struct Plan {
    int addresses;
    int probeWaitMs;
    bool errorsEndSearch;  // the full search stops at a failed close, open or reader start
  };
  // Steps shared by both searches: every port, every address, the hits in the table.
  void probeAllPorts(const Plan& plan);
  // False when the search must end (an error the plan does not forgive, or Cancel).
  bool probePort(const Plan& plan, std::size_t entry, int k, int portCount);
  void showResults();
  void finish();
  // The name a result line gives a port: "COM" n, or the entry's own name where it has no COM
  // number of its own (ttySIM0).
  std::string portName(int portNumber) const;

  WindowAreas& a_;
  Scheduler& scheduler_;
  TimerTable& timers_;
  SerialLink& link_;
  PortList& portList_;
  SendPump& pump_;
  LinkSupervisor& supervisor_;
  WaitingFlags& flags_;
  Connection& connection_;
  Dialogs& dialogs_;
  bool& searchCancel_;

  SearchHits hits_;
  int probedAddress_ = -1;  // the BusAddress of the last probe sent
  bool running_ = false;
  // The port list as it was when the search began: the loop walks this copy, so a refreshed list
  // cannot move the entries under it, and the result names the ports that were searched.
  std::vector<PortEntry> entries_;
  std::vector<int> numbers_;
};

}  // namespace lyra
