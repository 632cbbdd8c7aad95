// The whole program for a long run against lyraphone-sim on a pseudo-terminal: the window with
// the real clock, the POSIX serial driver and the system's port list, while the simulator drops,
// corrupts and delays reply bytes and once takes its port away for a few seconds. Whenever the
// watchdog (or the port check) ends the connection, the run connects again, as a user would.
//
// At the end it reports the status polls answered, the reconnects, the messages shown, the peak
// resident memory and ReceiveText's largest size, and fails on anything that must not happen.
//
//   build/release/bin/soak-pty [seconds]      (default 600; needs lyraphone-sim beside it)

#include <sys/resource.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "protocol/Dialogs.h"
#include "app/TForm1.h"
#include "bench/SimulatorProcess.h"
#include "serial/LinuxPortSource.h"
#include "serial/PosixSerialDriver.h"
#include "app/QtScheduler.h"

namespace {

// Nobody sits at the window: messages are counted instead of shown, questions answered Yes, and
// file dialogs cancelled.
class CountingDialogs final : public lyra::Dialogs {
 public:
  void message(const std::string& text, const std::string&) override { ++shown[text]; }
  Answer question(const std::string&, Buttons) override { return Answer::Yes; }
  std::optional<std::string> openFile(const lyra::FileDialogOptions&) override { return {}; }
  std::optional<std::string> saveFile(const lyra::FileDialogOptions&) override { return {}; }
  std::map<std::string, int> shown;
};

std::string printable(std::string s) {
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
  QApplication app(argc, argv);
  lyra::QtScheduler scheduler;
  lyra::PosixSerialDriver driver;
  lyra::LinuxPortSource ports;
  CountingDialogs dialogs;
  lyra::TForm1 form(scheduler, driver, ports, &dialogs);
  form.show();

  // One device; faults on its replies, and its port taken away for 5 s after 45 s.
  lyra::bench::SimulatorProcess sim = lyra::bench::startSimulator(
      argv[0], {"--devices", "1", "--drop", "1:0.001", "--corrupt", "1:0.0005", "--late", "1:20",
                "--vanish-after", "45", "--return-after", "5"});
  if (!sim.started()) return 1;
  long polls = 0;
  auto shownStatus = form.sessions.parser.hooks.status;
  form.sessions.parser.hooks.status = [&](const lyra::StatusRecord& s) {
    ++polls;
    if (shownStatus) shownStatus(s);
  };
  const std::string name = std::filesystem::path(sim.port).filename().string();
  auto connect = [&] {
    form.sessions.portList.refill();
    const auto& entries = form.sessions.portList.entries();
    for (size_t i = 0; i < entries.size(); ++i)
      if (entries[i].name == name) {
        form.areas.RzComboBox1->setCurrentIndex(static_cast<int>(i));
        form.areas.Button3->click();
        return true;
      }
    return false;  // the port is away just now
  };
  scheduler.waitPumping(100);  // the start-up search ends

  int connects = 0;
  std::size_t peakReceive = 0;
  std::vector<std::string> errors;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  bool wasConnected = false;
  while (std::chrono::steady_clock::now() < end) {
    const bool connected = form.areas.Button3->text() == "Disconnect";
    if (!connected && form.areas.Button3->isEnabled() && !form.sessions.link.PortOpen() && connect())
      ++connects;
    scheduler.waitPumping(connected ? 1000 : 3000);
    wasConnected = wasConnected || connected;
    peakReceive = std::max(peakReceive, form.sessions.link.ReceiveText.size());
    if (form.sessions.link.ReceiveText.size() >= 1000) errors.push_back("ReceiveText reached 1000 characters");
    if (!form.sessions.link.PortOpen() && form.sessions.timers.Timer1.isActive())
      errors.push_back("the poll runs with no port open");
    if (errors.size() > 20) break;
  }
  const bool connectedAtEnd = form.areas.Button3->text() == "Disconnect";
  if (connectedAtEnd) form.areas.Button3->click();
  scheduler.waitPumping(200);

  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  lyra::bench::stopSimulator(sim);

  std::printf("soak-pty: %d s against %s (drop 0.1 %%, corrupt 0.05 %%, late 20 ms, port away 5 s)\n",
              seconds, sim.port.c_str());
  std::printf("polls answered:      %ld\n", polls);
  std::printf("connects:            %d (%d reconnects)\n", connects, connects > 0 ? connects - 1 : 0);
  std::printf("peak resident:       %.1f MB\n", static_cast<double>(u.ru_maxrss) / 1024.0);
  std::printf("peak ReceiveText:    %zu characters\n", peakReceive);
  for (const auto& [text, count] : dialogs.shown)
    std::printf("message %4d x       %s\n", count, printable(text).c_str());
  for (const std::string& e : errors) std::printf("error:               %s\n", e.c_str());
  if (!wasConnected) std::printf("error:               never connected\n");
  return errors.empty() && wasConnected && polls > 0 ? 0 : 1;
}
