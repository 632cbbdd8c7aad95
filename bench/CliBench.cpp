// lyraphone-cli-bench: `lyraphone-cli backup` of 8 simulated devices against the window's save-all
// of the same 8, on one lyraphone-sim. The window's time is measured, not computed: DeviceSessions
// composed as the window composes them (connect, "Save all presets to PC", disconnect, next
// device once the line is quiet), on the real-time loop and the POSIX driver, with the save dialog
// answered at once. The tool runs as its own process; its wall time and peak resident memory come
// from wait4.
//
// Prints both times and the memory and exits 1 when the tool takes more than the window's time
// plus 1 s or more than 20 MB. Run it from the release build.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/SimulatorProcess.h"
#include "serial/PortSource.h"
#include "serial/PosixSerialDriver.h"
#include "sessions/DeviceSessions.h"
#include "timing/LoopScheduler.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kDevices = 8;

class OnePort final : public lyra::PortSource {
 public:
  explicit OnePort(std::string path) : path_(std::move(path)) {}
  std::optional<std::vector<lyra::PortEntry>> readSystemPorts() override {
    return std::vector<lyra::PortEntry>{{fs::path(path_).filename().string(), path_}};
  }

 private:
  std::string path_;
};

// The window's user: Yes to each question, the folder's file to each save dialog.
class WindowUser final : public lyra::SessionEvents {
 public:
  std::string path;
  int saves = 0;
  int failures = 0;
  void ended(const lyra::Outcome& o) override {
    if (o.operation != lyra::Operation::SaveAllPresets) return;
    if (o.kind == lyra::OutcomeKind::Saved) {
      ++saves;
      return;
    }
    ++failures;
    std::fprintf(stderr, "window: save-all ended with outcome %d\n", static_cast<int>(o.kind));
  }
  bool confirm(lyra::Question) override { return true; }
  std::optional<std::string> choosePath(lyra::FileChoice) override { return path; }
  void progress(const lyra::Progress&) override {}
};

double WindowSaveAllSeconds(const std::string& port, const fs::path& folder) {
  lyra::LoopScheduler scheduler;
  lyra::PosixSerialDriver driver;
  OnePort ports(port);
  WindowUser dialogs;
  lyra::DeviceSessions s(scheduler, driver, ports, dialogs);
  bool up = false;
  bool failed = false;
  s.connectSession.onLinkUp = [&] { up = true; };
  s.connectSession.onFailed = [&] {
    failed = true;
    s.connectSession.end();
    ++dialogs.failures;
  };
  std::int64_t lastByteUs = 0;
  s.parser.route(lyra::Reply::AnyBytes, lyra::Owner::Connection, [&](lyra::ReceivedReply&) {
    lastByteUs = scheduler.nowUs();
    return false;
  });
  s.timers.brocar1.start();
  const auto start = Clock::now();
  for (int id = 1; id <= kDevices; ++id) {
    s.address.DeviceId = id;
    s.address.BusAddress = lyra::BusAddressing::busAddressOf(id);
    up = failed = false;
    s.connectSession.start(s.portList.selectedEntry(), s.portList.selectedPortNumber());
    scheduler.runUntil([&] { return up || failed; }, 10000);
    dialogs.path = (folder / ("window-" + std::to_string(id) + ".fps")).string();
    const int saves = dialogs.saves;
    s.presetFiles.saveAll();
    scheduler.runUntil([&] { return dialogs.saves > saves || dialogs.failures > 0; }, 40000);
    // A user connects to the next device once the line is quiet: back to back, the last poll's
    // reply would meet the next handshake on the bus.
    s.supervisor.pause();
    scheduler.runUntil([&] { return scheduler.nowUs() - lastByteUs >= 150'000; }, 2000);
    s.connectSession.end();
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (dialogs.failures > 0) std::fprintf(stderr, "the window's save-all failed\n");
  return seconds;
}

struct ChildRun {
  int code = -1;
  double seconds = 0;
  long maxRssKb = 0;
};

ChildRun RunTool(const std::string& program, const std::vector<std::string>& args) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const auto start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  ChildRun r;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.maxRssKb = usage.ru_maxrss;
  return r;
}

}  // namespace

int main(int, char** argv) {
  const fs::path self = fs::path(argv[0]).parent_path();
  char folderName[] = "/tmp/lyraphone-cli-bench-XXXXXX";
  if (!mkdtemp(folderName)) return 2;
  const fs::path folder = folderName;
  auto sim = lyra::bench::startSimulator(argv[0], {"--devices", "1,2,3,4,5,6,7,8"});
  if (!sim.started()) return 2;

  const double window = WindowSaveAllSeconds(sim.port, folder);
  const ChildRun tool = RunTool((self / "lyraphone-cli").string(),
                                {"backup", "--port", sim.port, "--id", "1-8", "-o",
                                 (folder / "rack").string() + "/"});
  lyra::bench::stopSimulator(sim);
  int files = 0;
  for (int id = 1; id <= kDevices; ++id)
    files += fs::exists(folder / "rack" / (std::to_string(id) + ".fps")) ? 1 : 0;
  std::error_code ec;
  fs::remove_all(folder, ec);

  std::printf("window save-all of %d devices: %.2f s\n", kDevices, window);
  std::printf("lyraphone-cli backup of %d devices: %.2f s (exit %d, %d files), peak RSS %.1f MB\n",
              kDevices, tool.seconds, tool.code, files, static_cast<double>(tool.maxRssKb) / 1024);
  const bool fast = tool.seconds <= window + 1.0;
  const bool small = tool.maxRssKb <= 20 * 1024;
  std::printf("time within the window's + 1 s: %s; memory within 20 MB: %s\n", fast ? "yes" : "NO",
              small ? "yes" : "NO");
  return tool.code == 0 && files == kDevices && fast && small ? 0 : 1;
}
