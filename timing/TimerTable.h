#pragma once
// The window's named timers: the program's main loop. Every timer runs on the window thread.
//
// start() on a running timer leaves its interval alone (a watchdog started by every poll counts
// from the first poll that got no answer); stop() then start() begins a fresh interval.

#include <array>
#include <functional>

#include "timing/Scheduler.h"

namespace lyra {

class NamedTimer {
 public:
  NamedTimer(Scheduler& scheduler, const char* name, int intervalMs);
  NamedTimer(const NamedTimer&) = delete;
  NamedTimer& operator=(const NamedTimer&) = delete;
  ~NamedTimer() { stop(); }

  const char* name() const { return name_; }
  int intervalMs() const { return intervalMs_; }
  bool isActive() const { return active_; }
  void start();
  void stop();

  // Runs on every tick while the timer is active. The next tick is already armed when it runs,
  // so a handler that stops its own timer (or stops and restarts it) has the last word.
  std::function<void()> onTick;
  // Optional. A timer whose hasWork answers false at a tick skips that tick and sleeps, still
  // active, until wake(); it then ticks one interval later. A fast polling timer with nothing
  // to do so costs no wake-ups.
  std::function<bool()> hasWork;
  void wake();

 private:
  void arm();
  void fire();

  Scheduler& scheduler_;
  const char* name_;
  int intervalMs_;
  bool active_ = false;
  Scheduler::Token pending_ = 0;
};

// Every named timer of the window, with its interval. Owners set onTick where they are wired up.
struct TimerTable {
  explicit TimerTable(Scheduler& s);

  // Running from start.
  NamedTimer Timer124;   // start-up search, once, 10 ms after the window is up
  NamedTimer Timer13;    // draws the connection picture
  NamedTimer refurbish;  // refreshes the port list while no port is open
  NamedTimer brocar1;    // while connected: has the chosen port left the system?
  // Connection and SendPump.
  NamedTimer Timer1;     // status poll
  NamedTimer intimer;    // link watchdog after a poll
  NamedTimer sendTimer;  // SendPump: take the first pending send slot
  NamedTimer Timer7;     // SendPump: write the taken slot
  NamedTimer Timer4;     // SendPump: resume the poll and the pump
  NamedTimer chcon;      // connect: nothing received
  NamedTimer chcon112;   // connect: no preset block
  NamedTimer chcon188;   // connect: no name table
  NamedTimer Timer6;     // re-enables the connect button
  // Device ID, presets and transfers.
  NamedTimer Timer2;        // shows the new DeviceId after the set-ID acknowledgement
  NamedTimer Timer3;        // load progress, 10 % a tick
  NamedTimer Timer22;       // load time-out
  NamedTimer Timer11;       // after the name-save acknowledgement
  NamedTimer Timer8;        // save all presets: one block request a tick
  NamedTimer Timer9;        // save-all time-out
  NamedTimer Timer10;       // load all presets: one block upload a tick
  NamedTimer Timer12;       // progress of loading a preset from the PC
  NamedTimer Timer342;      // progress of initial data from the PC
  NamedTimer Timer333;      // progress of initial data from one device
  NamedTimer Timer332;      // initial data from one device: no reply
  NamedTimer trunon1;       // initial data from one device: send the block to the group
  NamedTimer FSaveDialog3;  // file dialog to save one preset
  NamedTimer FSaveDialog4;  // file dialog to save all presets
  NamedTimer tmr1;          // ends the display of the start-up search result

  static constexpr std::size_t kCount = 28;
  std::array<NamedTimer*, kCount> all();

  // Starts the four timers that run from the window's start.
  void startEnabledAtStart();
  void stopAll();
};

}  // namespace lyra
