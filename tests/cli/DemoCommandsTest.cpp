// lyraphone-cli --port demo: the tool's device commands on the demo bus, composed as the tool's
// main composes it (the system's ports and driver with the Demo entry after them), in virtual time.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/Commands.h"
#include "cli/ExitCodes.h"
#include "sim/DemoBus.h"
#include "sim/SimBus.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/storage/TempFolder.h"
#include "timing/VirtualScheduler.h"

namespace lyra::cli {
namespace {

class DemoCommands : public ::testing::Test {
 protected:
  test::CliRun run(std::vector<std::string> args) {
    std::ostringstream out, err;
    CliEnvironment env{demo.ports(), false, &io};
    test::CliRun r;
    r.code = RunCli(args, out, err, env);
    r.out = out.str();
    r.err = err.str();
    return r;
  }

  VirtualScheduler scheduler;
  SimBus adapter{scheduler};  // the system's driver: a port the tests never open
  std::unique_ptr<SerialDriver> systemDriver = adapter.makeDriver();
  test::FixedPorts system;
  DemoBus demo{scheduler, *systemDriver, system};
  DeviceIo io{scheduler, demo.driver(),
              [this](const std::function<bool()>& pred, std::int64_t limitMs) {
                return scheduler.advanceUntil(pred, limitMs);
              },
              [] { return false; }};
  test::TempFolder folder;
};

TEST_F(DemoCommands, PortsListsDemoAfterTheSystemsPortsAndSaysWhenThereIsNoOther) {
  system.ports = std::vector<PortEntry>{{"ttyUSB0", "/dev/ttyUSB0"}, {"COM3", "COM3"}};
  const test::CliRun some = run({"ports"});
  EXPECT_EQ(some.code, kExitDone);
  const std::size_t lastLine = some.out.rfind('\n', some.out.size() - 2) + 1;
  EXPECT_EQ(some.out.substr(lastLine), "Demo     lyraphone-demo:\n") << some.out;
  EXPECT_TRUE(some.err.empty()) << some.err;

  system.ports = std::vector<PortEntry>{};
  const test::CliRun none = run({"ports"});
  EXPECT_EQ(none.code, kExitDone);
  EXPECT_EQ(none.out.rfind("Demo ", 0), 0u) << none.out;
  EXPECT_NE(none.err.find("--port demo"), std::string::npos) << none.err;
}

TEST_F(DemoCommands, StatusAndSearchReachDevicesOneAndFive) {
  const test::CliRun status = run({"status", "--port", "demo", "--id", "1,5", "--json"});
  EXPECT_EQ(status.code, kExitDone) << status.err;
  EXPECT_NE(status.out.find("\"id\": 1"), std::string::npos) << status.out;
  EXPECT_NE(status.out.find("\"id\": 5"), std::string::npos) << status.out;
  EXPECT_EQ(status.err, "lyraphone-cli: Demo: simulated devices inside the tool, not hardware\n");

  const test::CliRun search = run({"search", "--port", "Demo", "--ids", "1-10"});
  EXPECT_EQ(search.code, kExitDone) << search.err;
  EXPECT_EQ(search.out, "Demo  1\nDemo  5\n");
}

TEST_F(DemoCommands, ASearchOfEveryPortIsASearchOfTheSystemsPorts) {
  const test::CliRun r = run({"search", "--ids", "1-10"});
  EXPECT_EQ(r.code, kExitPortUnavailable);
  EXPECT_NE(r.err.find("no serial ports found"), std::string::npos) << r.err;
  EXPECT_TRUE(demo.bus().writes(kDemoDevicePath).empty());
}

TEST_F(DemoCommands, APresetPreparedOnOneDemoDeviceIsWrittenToTheOther) {
  demo.device(5)->memory().active[20] = 0x42;
  const std::string file = (folder / "prepared.sps").string();
  const test::CliRun read = run({"read", "--port", "demo", "--id", "5", "-o", file});
  ASSERT_EQ(read.code, kExitDone) << read.err;
  const test::CliRun write = run({"write", "--port", "demo", "--id", "1", file});
  EXPECT_EQ(write.code, kExitDone) << write.err;
  EXPECT_EQ(demo.device(1)->memory().active, demo.device(5)->memory().active);

  const test::CliRun setId = run({"set-id", "--port", "demo", "--id", "5", "9"});
  EXPECT_EQ(setId.code, kExitDone) << setId.err;
  EXPECT_EQ(demo.device(5)->deviceId(), 9);
}

}  // namespace
}  // namespace lyra::cli
