// The real lyraphone-cli against lyraphone-sim on a pseudo-terminal: each command group as a user
// runs it, with its output and exit code. Both run as child processes with a private
// XDG_RUNTIME_DIR, so the tool lists the simulator's port and no other simulator's.

#include <gtest/gtest.h>

#include <fcntl.h>

#include <cstdlib>

#include <fstream>
#include <sstream>

#include "storage/PresetFiles.h"
#include "preset/PresetBlockText.h"
#include "tests/sim/SimProcess.h"

namespace lyra {
namespace {

namespace fs = std::filesystem;

struct CliResult {
  int code = -1;
  std::string out;
  std::string err;
};

class CliPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim.start({"--devices", "1,5,7", "--silent", "7"}));
    port = sim.readLine();
    ASSERT_FALSE(port.empty());
  }

  std::string slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // Runs lyraphone-cli args to the end, its output and errors in files of the runtime folder.
  CliResult cli(const std::vector<std::string>& args) {
    const std::string outPath = sim.runtimeDir() + "/cli.out";
    const std::string errPath = sim.runtimeDir() + "/cli.err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const test::ChildCommand command(LYRAPHONE_CLI, args, sim.runtimeDir());
    pid_t pid = -1;
    const int rc =
        ::posix_spawn(&pid, LYRAPHONE_CLI, &actions, nullptr, command.argv(), command.envp());
    posix_spawn_file_actions_destroy(&actions);
    CliResult r;
    if (rc != 0) return r;
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(outPath);
    r.err = slurp(errPath);
    return r;
  }
  std::string file(const std::string& name) const { return sim.runtimeDir() + "/" + name; }

  test::SimProcess sim;
  std::string port;
};

TEST_F(CliPty, SearchAndStatusFindTheAnsweringDevices) {
  const CliResult ports = cli({"ports"});
  EXPECT_EQ(ports.code, 0);
  EXPECT_NE(ports.out.find("ttySIM0"), std::string::npos) << ports.out;

  const CliResult search = cli({"search", "--port", "ttySIM0", "--ids", "1-8", "--json"});
  EXPECT_EQ(search.code, 0) << search.err;
  // Exactly the devices that answer, each at its own address: on a busy machine a reply may
  // come after the next probe has gone out, and it is still the device that sent it.
  std::vector<int> found;
  for (std::size_t at = search.out.find("\"id\": "); at != std::string::npos;
       at = search.out.find("\"id\": ", at + 1))
    found.push_back(std::atoi(search.out.c_str() + at + 6));
  EXPECT_EQ(found, (std::vector<int>{1, 5})) << search.out;

  const CliResult status = cli({"status", "--port", port, "--id", "1,7,5"});
  EXPECT_EQ(status.code, 1);
  EXPECT_NE(status.out.find("1  "), std::string::npos) << status.out;
  EXPECT_NE(status.out.find("5  "), std::string::npos);
  EXPECT_NE(status.out.find(" dB\n"), std::string::npos);
  EXPECT_NE(status.err.find("device 7: UNABLE TO CONNECT TO DEVICE!"), std::string::npos);
}

TEST_F(CliPty, ReadWritesAFileTheWindowLoadsAndWriteSendsItBack) {
  const CliResult read = cli({"read", "--port", port, "--id", "5", "-o", file("five.sps")});
  ASSERT_EQ(read.code, 0) << read.err;
  const FileLines lines = ReadTextLines(file("five.sps"));
  EXPECT_TRUE(IsValidPresetBlockText(JoinLines(lines.lines)));
  const CliResult write = cli({"write", "--port", port, "--id", "1", file("five.sps")});
  EXPECT_EQ(write.code, 0) << write.err;
  const CliResult back = cli({"read", "--port", port, "--id", "1", "-o", file("one.sps")});
  ASSERT_EQ(back.code, 0) << back.err;
  EXPECT_EQ(cli({"diff", file("five.sps"), file("one.sps")}).code, 0);
}

TEST_F(CliPty, BackupAndRestoreOfSeveralDevices) {
  const CliResult backup = cli({"backup", "--port", port, "--id", "1,7", "-o", file("rack/")});
  EXPECT_EQ(backup.code, 1);
  EXPECT_NE(backup.err.find("failed for DeviceId 7"), std::string::npos) << backup.err;
  EXPECT_FALSE(fs::exists(file("rack/7.fps")));
  EXPECT_TRUE(IsValidAllPresetsFile(ReadTextLines(file("rack/1.fps")).lines));
  const CliResult restore = cli({"restore", "--port", port, "--id", "5", file("rack/1.fps")});
  EXPECT_EQ(restore.code, 0) << restore.err;
  EXPECT_NE(restore.out.find("device 5: all presets loaded"), std::string::npos);
}

TEST_F(CliPty, SlotsNameAndLoad) {
  const CliResult name = cli({"name-slot", "--port", port, "--id", "5", "Usr7", "Stage"});
  EXPECT_EQ(name.code, 0) << name.err;
  EXPECT_NE(name.out.find("device 5: Successfully save."), std::string::npos) << name.out;
  EXPECT_EQ(name.err.find("Successfully save."), std::string::npos) << name.err;
  const CliResult load = cli({"load-slot", "--port", port, "--id", "5", "Usr7"});
  EXPECT_EQ(load.code, 0) << load.err;
  const CliResult dead = cli({"load-slot", "--port", port, "--id", "7", "Usr7"});
  EXPECT_EQ(dead.code, 1);
}

TEST_F(CliPty, SetAndSetId) {
  const CliResult set = cli({"set", "--port", port, "--id", "1", "level=-3.3", "mute=on"});
  EXPECT_EQ(set.code, 0) << set.err;
  EXPECT_NE(set.out.find("level = -3.4 dB (adjusted)"), std::string::npos) << set.out;
  const CliResult id = cli({"set-id", "--port", port, "--id", "5", "12"});
  EXPECT_EQ(id.code, 0) << id.err;
  const CliResult status = cli({"status", "--port", port, "--id", "12", "--json"});
  EXPECT_EQ(status.code, 0) << status.err;
  EXPECT_NE(status.out.find("\"id\": 12"), std::string::npos);
  const CliResult gone = cli({"status", "--port", port, "--id", "5"});
  EXPECT_EQ(gone.code, 1);
}

TEST_F(CliPty, PortDemoReachesTheSimulatedDevicesInsideTheTool) {
  const CliResult ports = cli({"ports"});
  EXPECT_EQ(ports.code, 0);
  EXPECT_GT(ports.out.find("Demo "), ports.out.find("ttySIM0")) << ports.out;

  const CliResult status = cli({"status", "--port", "demo", "--id", "1,5"});
  EXPECT_EQ(status.code, 0) << status.err;
  EXPECT_EQ(status.out.rfind("1  ", 0), 0u) << status.out;
  EXPECT_NE(status.out.find("\n5  "), std::string::npos) << status.out;
}

TEST_F(CliPty, APortThatDoesNotExistIsExitThree) {
  const CliResult r = cli({"status", "--port", file("ttyNONE"), "--id", "1"});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("no such device"), std::string::npos) << r.err;
}

// One hex digit of a saved file changed in an editor: the tool refuses the file before it opens
// the port, names the line, and the device keeps its preset.
TEST_F(CliPty, AFileWithAChangedDigitNeverReachesADevice) {
  ASSERT_EQ(cli({"read", "--port", port, "--id", "5", "-o", file("five.sps")}).code, 0);
  ASSERT_EQ(cli({"read", "--port", port, "--id", "1", "-o", file("before.sps")}).code, 0);
  std::vector<std::string> lines = ReadTextLines(file("five.sps")).lines;
  ASSERT_EQ(lines.size(), 1u);
  char& digit = lines[0][300];
  digit = digit == '0' ? '1' : '0';
  ASSERT_FALSE(WriteTextLines(file("changed.sps"), lines));
  const CliResult write = cli({"write", "--port", port, "--id", "1", file("changed.sps")});
  EXPECT_EQ(write.code, 2);
  EXPECT_NE(write.err.find("changed.sps:1: the line is damaged: its check byte is "),
            std::string::npos)
      << write.err;
  const CliResult show = cli({"show", file("changed.sps")});
  EXPECT_EQ(show.code, 2);
  EXPECT_NE(show.err.find("changed.sps:1: the line is damaged"), std::string::npos);
  ASSERT_EQ(cli({"read", "--port", port, "--id", "1", "-o", file("after.sps")}).code, 0);
  EXPECT_EQ(cli({"diff", file("before.sps"), file("after.sps")}).code, 0) << "device 1 unchanged";

  ASSERT_EQ(cli({"backup", "--port", port, "--id", "1", "-o", file("one.fps")}).code, 0);
  lines = ReadTextLines(file("one.fps")).lines;
  ASSERT_EQ(lines.size(), 20u);
  lines[3][2 * 100] = lines[3][2 * 100] == 'F' ? 'E' : 'F';
  ASSERT_FALSE(WriteTextLines(file("changed.fps"), lines));
  const CliResult restore = cli({"restore", "--port", port, "--id", "5", file("changed.fps")});
  EXPECT_EQ(restore.code, 2);
  EXPECT_NE(restore.err.find("changed.fps:4: the line is damaged"), std::string::npos)
      << restore.err;
  EXPECT_EQ(restore.out, "");
}

TEST_F(CliPty, SetIdOntoADeviceIdInUseIsRefused) {
  const CliResult id = cli({"set-id", "--port", port, "--id", "1", "5"});
  EXPECT_EQ(id.code, 1);
  EXPECT_NE(id.err.find("DeviceId 5 is already in use on this bus."), std::string::npos)
      << id.err;
  const CliResult search = cli({"search", "--port", "ttySIM0", "--ids", "1-6"});
  EXPECT_EQ(search.out, "ttySIM0  1\nttySIM0  5\n") << "both still where they were";
}

// Device 7 answers 300 ms late, as over a network port: the search lists it, and no device 10.
class CliPtyLate : public CliPty {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim.start({"--devices", "1,5,7", "--late", "7:300"}));
    port = sim.readLine();
    ASSERT_FALSE(port.empty());
  }
};

TEST_F(CliPtyLate, SearchListsTheLateDeviceUnderItsOwnDeviceId) {
  const CliResult search = cli({"search", "--port", "ttySIM0", "--ids", "1-10"});
  EXPECT_EQ(search.code, 0) << search.err;
  EXPECT_EQ(search.out, "ttySIM0  1\nttySIM0  5\nttySIM0  7\n");
}

// --trace from the real tool against the simulator's own traffic log: what the tool says it sent
// is what the simulator heard, and what it says it received is what the devices sent, frame for
// frame and in order.
class CliPtyTrace : public CliPty {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim.start({"--devices", "1,5", "--log", file("sim.log")}));
    port = sim.readLine();
    ASSERT_FALSE(port.empty());
  }
  std::vector<std::string> lines(const std::string& path) {
    std::istringstream in(slurp(path));
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }
};

TEST_F(CliPtyTrace, TheToolsTraceMatchesTheSimulatorsTrafficLog) {
  const CliResult backup =
      cli({"--trace", file("trace.txt"), "backup", "--port", port, "--id", "1", "-o", file("one.fps")});
  ASSERT_EQ(backup.code, 0) << backup.err;
  std::vector<std::string> traceSent, traceReceived, heard, answered;
  for (const std::string& line : lines(file("trace.txt"))) {
    if (line.empty() || line[0] == '#') continue;
    ASSERT_NE(line.find(" ms  "), std::string::npos) << line;
    const auto from = line.find("A5 A5 A5");
    const auto bar = line.find("  |  ");
    ASSERT_NE(from, std::string::npos) << "no stray bytes on a quiet line: " << line;
    EXPECT_NE(line.find("checksum right"), std::string::npos) << line;
    const std::string hex = line.substr(from, bar - from);
    (line.find("  sent  ") != std::string::npos ? traceSent : traceReceived).push_back(hex);
  }
  // The simulator's log: "  12.503117  program    A5 A5 ..." and "device 1  ".
  for (const std::string& line : lines(file("sim.log"))) {
    if (line.size() < 27) continue;
    const std::string who = line.substr(15, 10);
    if (who.rfind("program", 0) == 0) heard.push_back(line.substr(26));
    if (who.rfind("device", 0) == 0) answered.push_back(line.substr(26));
  }
  EXPECT_EQ(traceSent, heard);
  EXPECT_EQ(traceReceived, answered);
  EXPECT_GE(traceReceived.size(), 21u) << "the handshake's block and twenty stored blocks";
}

}  // namespace
}  // namespace lyra
