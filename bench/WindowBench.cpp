// The whole program as a user runs it: the window with the real clock, the POSIX serial driver
// and the system's port list, connected to lyraphone-sim on a pseudo-terminal.
//
// It reports the time from process start to the window's first paint, then connects to the
// simulated device and measures the CPU time and the peak resident memory over 10 s of connected
// idle (the status poll every 500 ms). Targets: first paint within 300 ms, at most 1 % of one
// core while idle, at most 80 MB resident.
//
//   build/release/bin/lyraphone-window-bench      (needs lyraphone-sim beside it)

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/TForm1.h"
#include "bench/SimulatorProcess.h"
#include "serial/LinuxPortSource.h"
#include "serial/PosixSerialDriver.h"
#include "app/QtScheduler.h"

namespace {

// Milliseconds since this process started, from the kernel's own record of the start.
double msSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string line;
  std::getline(stat, line);
  std::istringstream fields(line.substr(line.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= 22; ++i) fields >> field;  // field 22: start time in clock ticks
  const double startSeconds = std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
  std::ifstream uptime("/proc/uptime");
  double upSeconds = 0;
  uptime >> upSeconds;
  return (upSeconds - startSeconds) * 1000.0;
}

double cpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  auto seconds = [](timeval t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(u.ru_utime) + seconds(u.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  lyra::QtScheduler scheduler;
  lyra::PosixSerialDriver driver;
  lyra::LinuxPortSource ports;
  lyra::TForm1 form(scheduler, driver, ports);
  form.show();
  form.window().repaint();  // the first paint, as the user sees it
  const double firstPaintMs = msSinceProcessStart();

  lyra::bench::SimulatorProcess sim = lyra::bench::startSimulator(argv[0], {"--devices", "1"});
  if (!sim.started()) return 1;
  scheduler.waitPumping(100);  // the start-up search ends
  form.sessions.portList.refill();
  const std::string name = std::filesystem::path(sim.port).filename().string();
  for (size_t i = 0; i < form.sessions.portList.entries().size(); ++i)
    if (form.sessions.portList.entries()[i].name == name) form.areas.RzComboBox1->setCurrentIndex(static_cast<int>(i));
  form.areas.Button3->click();
  scheduler.waitPumping(3000);  // handshake
  const bool connected = form.areas.Button3->text() == "Disconnect";

  const double cpuBefore = cpuSeconds();
  const auto wallBefore = std::chrono::steady_clock::now();
  scheduler.waitPumping(10'000);
  const double wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
  const double idleCpuPercent = 100.0 * (cpuSeconds() - cpuBefore) / wallSeconds;
  const bool stillConnected = form.areas.Button3->text() == "Disconnect";

  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  const double peakMb = static_cast<double>(u.ru_maxrss) / 1024.0;

  lyra::bench::stopSimulator(sim);

  std::printf("first paint:        %6.0f ms after process start (target 300 ms)\n", firstPaintMs);
  std::printf("connected idle CPU: %6.2f %% of one core over %.1f s (target 1 %%)\n",
              idleCpuPercent, wallSeconds);
  std::printf("peak resident:      %6.1f MB (target 80 MB)\n", peakMb);
  std::printf("status panel:       %s\n", form.areas.statusPanel2->text().toStdString().c_str());
  if (!connected || !stillConnected) {
    std::fprintf(stderr, "the window did not stay connected to %s\n", sim.port.c_str());
    return 1;
  }
  return 0;
}
