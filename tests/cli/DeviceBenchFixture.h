#pragma once
// The tool's device commands as its main runs them, on simulated devices in virtual time: the
// same runner, with a VirtualScheduler and the simulated bus in place of the real loop and driver.
// Devices 1 and 5 answer on COM3; their stored blocks tell which block they are.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "cli/Commands.h"
#include "sim/DeviceModel.h"
#include "sim/SimBus.h"
#include "tests/storage/TempFolder.h"
#include "timing/VirtualScheduler.h"

namespace lyra::test {

struct CliOutcome {
  int code = -1;
  std::string out;
  std::string err;
};

class DeviceBenchFixture : public ::testing::Test {
 protected:
  DeviceBenchFixture() {
    bus.addPort("COM3");
    one = std::make_unique<DeviceModel>(bus, "COM3", 1, 3u);
    five = std::make_unique<DeviceModel>(bus, "COM3", 5, 4u);
    for (int n = 1; n <= 20; ++n) {
      one->memory().blocks[n - 1][310] = static_cast<std::uint8_t>(n);
      five->memory().blocks[n - 1][310] = static_cast<std::uint8_t>(100 + n);
    }
  }

  CliOutcome run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    cli::CliEnvironment env{*ports, false, &io};
    CliOutcome r;
    r.code = cli::RunCli(args, out, err, env);
    r.out = out.str();
    r.err = err.str();
    return r;
  }
  std::string file(const std::string& name) const { return (folder / name).string(); }

  VirtualScheduler scheduler;
  SimBus bus{scheduler};
  std::unique_ptr<SerialDriver> driver = bus.makeDriver();
  std::unique_ptr<PortSource> ports = bus.makePortSource();
  cli::DeviceIo io{scheduler, *driver,
                   [this](const std::function<bool()>& pred, std::int64_t limitMs) {
                     return scheduler.advanceUntil(pred, limitMs);
                   },
                   [] { return false; }};
  std::unique_ptr<DeviceModel> one, five;
  TempFolder folder;
};

}  // namespace lyra::test
