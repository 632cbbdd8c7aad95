#pragma once
// Finding the devices on the bus, without widgets: the full search ("Search device ID") and the
// short search that runs once at start-up.
//
// Both probe every port of the list, from the last entry to the first, with the status poll to
// one BusAddress at a time; a whole status reply while the search runs is a hit for the port and
// the BusAddress it carries, when that address was probed on the port already (a late reply
// still counts while the port is searched). The full search probes 0..255 at 100 ms (about 25.6 s a port), the
// start-up search DeviceIds 1..10 at 500 ms. Each keeps the caller alive by letting the event loop
// run before every probe and during every wait; cancel() (or the window closing) ends it at its
// next step. However it ends, the port it used is closed and PortNumber is -1.

#include <functional>
#include <string>
#include <vector>

#include "reply/ReplyParser.h"
#include "protocol/LinkSupervisor.h"
#include "protocol/SearchHits.h"
#include "protocol/SendPump.h"
#include "serial/PortList.h"
#include "serial/SerialLink.h"
#include "sessions/Outcome.h"
#include "timing/Scheduler.h"

namespace lyra {

class SearchSession {
 public:
  static constexpr int kFullAddresses = 256;
  static constexpr int kFullProbeWaitMs = 100;
  static constexpr int kStartupAddresses = 10;  // DeviceIds 1..10
  static constexpr int kStartupProbeWaitMs = 500;
  static constexpr int kReopenWaitMs = 100;  // after closing one port before opening the next
  // After a port's last probe: time for late replies before the port is closed.
  static constexpr int kLateReplyWaitMs = 500;
  static constexpr std::size_t kStatusReplyBytes = 20;

  struct Plan {
    int addresses;
    int probeWaitMs;
    bool errorsEndSearch;  // the full search stops at a failed close, open or reader start
    bool includesDemo;     // Demo and network ports are ports like any other, but not at start-up
  };
  static constexpr Plan kFullSearch{kFullAddresses, kFullProbeWaitMs, true, true};
  // The demo's devices are always there: found at every start they would hide whether a real
  // device answered.
  static constexpr Plan kStartupSearch{kStartupAddresses, kStartupProbeWaitMs, false, false};

  // cancelled is the caller's cancel flag (the window's SearchCancel): set by Cancel and when the
  // window closes.
  SearchSession(Scheduler& scheduler, SerialLink& link, PortList& portList, SendPump& pump,
                LinkSupervisor& supervisor, WaitingFlags& flags, ReplyParser& parser,
                bool& cancelled, SessionEvents& events);

  // Every port, every address of the plan; the hits are in hits() afterwards, and Done (or
  // Cancelled) is reported. onProgress gets the percentage after each probe.
  void run(const Plan& plan, const std::function<void(int percent)>& onProgress = {});
  // The port closed, PortNumber -1, the port list's refresh and the port check running again.
  void finish();

  const SearchHits& hits() const { return hits_; }
  // The result lines, each port named "COM" n or by its own name where it has no COM number.
  std::vector<std::string> resultLines() const;

 private:
  // False when the search must end (an error the plan does not forgive, or cancel).
  bool probePort(const Plan& plan, std::size_t entry, int k, int portCount,
                 const std::function<void(int)>& onProgress);
  std::string portName(int portNumber) const;

  Scheduler& scheduler_;
  SerialLink& link_;
  PortList& portList_;
  SendPump& pump_;
  LinkSupervisor& supervisor_;
  WaitingFlags& flags_;
  bool& cancelled_;
  SessionEvents& events_;

  SearchHits hits_;
  int probedAddress_ = -1;  // the BusAddress of the last probe sent
  // The port list as it was when the search began: the loop walks this copy, so a refreshed list
  // cannot move the entries under it, and the result names the ports that were searched.
  std::vector<PortEntry> entries_;
  std::vector<int> numbers_;
};

}  // namespace lyra
