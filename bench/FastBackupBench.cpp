// lyraphone-backup-bench: `lyraphone-cli backup` of 8 simulated devices at 9600 baud, in virtual
// time, at the window's pace and with --fast. The tool's own runner on the simulated bus, as its
// tests run it; the clock is virtual, so the figures are the line's and the program's timing, not
// this machine's speed.
//
// The line time of a run is every byte on the line (the tool's requests and the devices' replies,
// 10 bits each at 9600 baud). --fast must finish within 1.25 times the line time of its own
// traffic; the program prints the figures and exits 1 when it does not.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "sim/DeviceModel.h"
#include "sim/SimBus.h"
#include "timing/VirtualScheduler.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDevices = 8;
constexpr std::int64_t kCheckEveryMs = 50;  // LoopScheduler::runUntil's default
constexpr double kMostLineTimes = 1.25;
// One stored block: the 12-byte request and the 332-byte reply.
constexpr int kBlockExchangeBytes = 12 + 332;

struct Run {
  double seconds = 0;
  long long bytes = 0;       // on the line, both ways
  long long blockBytes = 0;  // the stored-block requests and replies among them
  int code = -1;
};

double LineSeconds(long long bytes) {
  return static_cast<double>(lyra::SimBus::byteTimeUs(bytes)) / 1e6;
}

Run Backup(bool fast, const fs::path& folder) {
  lyra::VirtualScheduler scheduler;
  lyra::SimBus bus(scheduler);
  bus.addPort("ttySIM0");
  auto driver = bus.makeDriver();
  auto ports = bus.makePortSource();
  Run run;
  std::vector<std::unique_ptr<lyra::DeviceModel>> devices;
  for (int id = 1; id <= kDevices; ++id) {
    devices.push_back(std::make_unique<lyra::DeviceModel>(bus, "ttySIM0", id,
                                                          static_cast<std::uint32_t>(id)));
    devices.back()->onTraffic = [&run](bool sent, const std::vector<std::uint8_t>& bytes) {
      if (!sent) return;
      run.bytes += static_cast<long long>(bytes.size());
      if (bytes.size() == 332 && bytes[6] == 0x29) run.blockBytes += kBlockExchangeBytes;
    };
  }
  // As the tool's LoopScheduler waits: the condition is looked at after every call and at least
  // every 50 ms while nothing is due (a wait for a quiet line has no call of its own to end it).
  lyra::cli::DeviceIo io{scheduler, *driver,
                         [&](const std::function<bool()>& pred, std::int64_t limitMs) {
                           const std::int64_t endUs = scheduler.nowUs() + limitMs * 1000;
                           while (!pred() && scheduler.nowUs() < endUs) {
                             const std::int64_t stepMs =
                                 std::min<std::int64_t>(kCheckEveryMs, (endUs - scheduler.nowUs() + 999) / 1000);
                             scheduler.advanceUntil(pred, stepMs);
                           }
                           return pred();
                         },
                         [] { return false; }};
  lyra::cli::CliEnvironment env{*ports, false, &io};
  std::vector<std::string> args = {"backup", "--port", "ttySIM0", "--id", "1-8",
                                   "-o",     (folder / (fast ? "fast" : "window")).string() + "/"};
  if (fast) args.push_back("--fast");
  std::ostringstream out, err;
  const std::int64_t startUs = scheduler.nowUs();
  run.code = lyra::cli::RunCli(args, out, err, env);
  run.seconds = static_cast<double>(scheduler.nowUs() - startUs) / 1e6;
  for (const auto& w : bus.writes("ttySIM0")) run.bytes += static_cast<long long>(w.bytes.size());
  if (run.code != 0) std::fprintf(stderr, "%s", err.str().c_str());
  return run;
}

}  // namespace

int main() {
  const fs::path folder = fs::temp_directory_path() / "lyraphone-backup-bench";
  fs::remove_all(folder);
  const Run window = Backup(false, folder);
  const Run fast = Backup(true, folder);
  fs::remove_all(folder);

  const double nominal = LineSeconds(static_cast<long long>(kDevices) * 20 * kBlockExchangeBytes);
  std::printf("backup of %d devices at 9600 baud, virtual time\n", kDevices);
  std::printf("  stored blocks alone (20 x 344 bytes a device): %.2f s of line time\n", nominal);
  for (const auto& [name, r] : {std::pair<const char*, const Run&>{"window pace", window},
                                std::pair<const char*, const Run&>{"--fast", fast}}) {
    std::printf(
        "  %-11s  %6.2f s  (%.2f s a device); its traffic %lld bytes = %.2f s of line time "
        "(blocks %.2f s, connect and the rest %.2f s); %.2f x the line time\n",
        name, r.seconds, r.seconds / kDevices, r.bytes, LineSeconds(r.bytes),
        LineSeconds(r.blockBytes), LineSeconds(r.bytes - r.blockBytes),
        r.seconds / LineSeconds(r.bytes));
  }
  std::printf("  --fast takes %.0f %% of the window pace's time\n",
              100.0 * fast.seconds / window.seconds);
  if (window.code != 0 || fast.code != 0) {
    std::printf("FAILED: a backup did not finish (exit %d, %d)\n", window.code, fast.code);
    return 1;
  }
  if (fast.seconds > kMostLineTimes * LineSeconds(fast.bytes)) {
    std::printf("FAILED: --fast takes more than %.2f x the line time of its traffic\n",
                kMostLineTimes);
    return 1;
  }
  return 0;
}
