// The real lyraphone-cli on ports on the network: a device server (ser2net, started here with a
// configuration of its own on 127.0.0.1) in front of lyraphone-sim's pseudo-terminal, and
// lyraphone-sim --listen itself, each as rfc2217:// and as tcp://. Every command gives what the
// same command gives on the pseudo-terminal, byte for byte; a preset holding 0xFF bytes goes and
// comes back unchanged; a server that ends during a backup fails that device as a port that left.

#include <cstdlib>

#include <gtest/gtest.h>

#include <fcntl.h>

#include <fstream>
#include <iostream>
#include <sstream>

#include "preset/PresetBlockText.h"
#include "storage/PresetFiles.h"
#include "tests/sim/SimProcess.h"
#include "tests/support/Ser2net.h"

namespace lyra {
namespace {

namespace fs = std::filesystem;

struct CliResult {
  int code = -1;
  std::string out;
  std::string err;
};

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

enum class Server { Ser2netTelnet, Ser2netRaw, SimTelnet, SimRaw };

std::string nameOf(Server s) {
  switch (s) {
    case Server::Ser2netTelnet: return "Ser2netRfc2217";
    case Server::Ser2netRaw: return "Ser2netTcp";
    case Server::SimTelnet: return "SimListenRfc2217";
    case Server::SimRaw: return "SimListenTcp";
  }
  return "";
}

class CliNet : public ::testing::TestWithParam<Server> {
 protected:
  void SetUp() override {
    const bool viaSer2net = GetParam() == Server::Ser2netTelnet || GetParam() == Server::Ser2netRaw;
    const bool telnet = GetParam() == Server::Ser2netTelnet || GetParam() == Server::SimTelnet;
    if (viaSer2net && !test::ser2netInstalled())
      GTEST_SKIP() << "ser2net is not installed (apt-get install ser2net)";
    ASSERT_TRUE(sim.start({"--devices", "1,5", "--log", file("sim.log"), "--listen",
                           "rfc2217://127.0.0.1:0", "--listen", "tcp://127.0.0.1:0"}));
    pty = sim.readLine();
    ASSERT_FALSE(pty.empty());
    std::string simTelnet, simRaw;
    for (std::string line = sim.readLine(); !line.empty(); line = sim.readLine()) {
      if (line.rfind("listening: rfc2217://", 0) == 0) simTelnet = line.substr(11);
      if (line.rfind("listening: tcp://", 0) == 0) {
        simRaw = line.substr(11);
        break;
      }
    }
    ASSERT_FALSE(simRaw.empty());
    if (!viaSer2net) {
      address = telnet ? simTelnet : simRaw;
      return;
    }
    address = ser2net.start(sim.runtimeDir(), pty, telnet);
    ASSERT_FALSE(address.empty()) << "ser2net did not come up";
  }

  void TearDown() override {
    ser2net.stop();
    if (HasFailure()) std::cerr << "the run's folder: " << sim.runtimeDir() << "\n";
  }

  std::string file(const std::string& name) const { return sim.runtimeDir() + "/" + name; }

  pid_t spawnCli(const std::vector<std::string>& args, const std::string& tag) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, file(tag + ".out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, file(tag + ".err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const test::ChildCommand command(LYRAPHONE_CLI, args, sim.runtimeDir());
    pid_t pid = -1;
    const int rc =
        ::posix_spawn(&pid, LYRAPHONE_CLI, &actions, nullptr, command.argv(), command.envp());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
  }

  CliResult finish(pid_t pid, const std::string& tag) {
    CliResult r;
    if (pid <= 0) return r;
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(file(tag + ".out"));
    r.err = slurp(file(tag + ".err"));
    return r;
  }

  // Each command writes its traffic trace (cli-<n>.trace), so a failure can be read against the
  // simulator's log (with LYRA_KEEP_TEST_FOLDERS set, the folder stays).
  CliResult cli(std::vector<std::string> args) {
    if (args.size() > 1 && args[1] == "--port")
      args.insert(args.begin() + 1, {"--trace", file("cli-" + std::to_string(++commands) + ".trace")});
    return finish(spawnCli(args, "cli"), "cli");
  }

  // The command on the pseudo-terminal and on the network port: the same exit, the same output
  // once the port's name is written the same.
  void sameOnBoth(std::vector<std::string> args) {
    args.insert(args.begin() + 1, {"--port", pty});
    const CliResult local = cli(args);
    args[2] = address;
    CliResult net = cli(args);
    for (std::size_t at; (at = net.out.find(address)) != std::string::npos;)
      net.out.replace(at, address.size(), "ttySIM0");
    EXPECT_EQ(net.code, local.code) << args[0] << ": " << net.err;
    EXPECT_EQ(net.out, local.out) << args[0];
  }

  test::SimProcess sim;
  test::Ser2net ser2net;
  std::string pty;
  std::string address;
  int commands = 0;
};

TEST_P(CliNet, CommandsGiveWhatTheyGiveOnThePseudoTerminal) {
  sameOnBoth({"search", "--ids", "1-6"});
  // One connection a device: the second follows the first's close at once, and is served.
  const CliResult status = cli({"status", "--port", address, "--id", "1,5"});
  EXPECT_EQ(status.code, 0) << status.err;
  EXPECT_EQ(status.out.rfind("1  ", 0), 0u) << status.out;
  EXPECT_NE(status.out.find("\n5  "), std::string::npos) << status.out;

  const CliResult read = cli({"read", "--port", address, "--id", "5", "-o", file("net.sps")});
  ASSERT_EQ(read.code, 0) << read.err;
  ASSERT_EQ(cli({"read", "--port", pty, "--id", "5", "-o", file("pty.sps")}).code, 0);
  EXPECT_EQ(slurp(file("net.sps")), slurp(file("pty.sps")));

  const CliResult backup = cli({"backup", "--port", address, "--id", "1", "-o", file("net.fps")});
  ASSERT_EQ(backup.code, 0) << backup.err;
  const CliResult local = cli({"backup", "--port", pty, "--id", "1", "-o", file("pty.fps")});
  ASSERT_EQ(local.code, 0) << local.err;
  EXPECT_EQ(slurp(file("net.fps")), slurp(file("pty.fps")));

  const CliResult write = cli({"write", "--port", address, "--id", "1", file("net.sps")});
  EXPECT_EQ(write.code, 0) << write.err;
  ASSERT_EQ(cli({"read", "--port", pty, "--id", "1", "-o", file("back.sps")}).code, 0);
  EXPECT_EQ(cli({"diff", file("net.sps"), file("back.sps")}).code, 0);
}

// The telnet escape byte in a preset's data: doubled on the way out, undoubled on the way back.
TEST_P(CliNet, APresetHoldingFfBytesGoesAndComesBackUnchanged) {
  ASSERT_EQ(cli({"read", "--port", pty, "--id", "5", "-o", file("five.sps")}).code, 0);
  std::vector<std::string> lines = ReadTextLines(file("five.sps")).lines;
  ASSERT_EQ(lines.size(), 1u);
  std::string& text = lines[0];
  ASSERT_EQ(text.size(), kPresetBlockTextLength);
  // Frame bytes 200..203 become FF FF FF FF (an escape run), then the checksum is made good.
  for (std::size_t k = 200; k < 204; ++k) text.replace(2 * k, 2, "FF");
  unsigned check = 0;
  for (std::size_t k = 3; k < 330; ++k) check ^= static_cast<unsigned>(std::stoul(text.substr(2 * k, 2), nullptr, 16));
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", check);
  text.replace(2 * 330, 2, hex);
  ASSERT_TRUE(HasIntactFrame(text));
  ASSERT_FALSE(WriteTextLines(file("ff.sps"), lines));

  const CliResult write = cli({"write", "--port", address, "--id", "1", file("ff.sps")});
  ASSERT_EQ(write.code, 0) << write.err;
  ASSERT_EQ(cli({"read", "--port", pty, "--id", "1", "-o", file("pty.sps")}).code, 0);
  const CliResult read = cli({"read", "--port", address, "--id", "1", "-o", file("net.sps")});
  ASSERT_EQ(read.code, 0) << read.err;
  const auto stored = ReadPresetData(slurp(file("pty.sps")));
  const auto sent = ReadPresetData(text);
  ASSERT_TRUE(stored && sent);
  std::string differ;
  for (std::size_t i = 0; i < kPresetDataLength; ++i)
    if ((*stored)[i] != (*sent)[i])
      differ += " " + std::to_string(i) + ":" + std::to_string((*sent)[i]) + "->" +
                std::to_string((*stored)[i]);
  EXPECT_EQ(differ, "") << "data bytes that differ (index:sent->stored)";
  EXPECT_EQ(slurp(file("net.sps")), slurp(file("pty.sps")));
}

TEST_P(CliNet, AServerThatEndsDuringABackupFailsTheDeviceAsAPortThatLeft) {
  const pid_t backup = spawnCli({"backup", "--port", address, "--id", "5", "-o", file("gone.fps")},
                                "backup");
  ASSERT_GT(backup, 0);
  ASSERT_TRUE(test::waitUntil([&] { return slurp(file("backup.err")).find("backup 5: 20%") != std::string::npos; }))
      << slurp(file("backup.err"));
  if (ser2net.running())
    ser2net.stop();
  else
    sim.stop(SIGKILL);
  const CliResult r = finish(backup, "backup");
  EXPECT_EQ(r.code, 1) << r.err;
  EXPECT_NE(r.err.find("device 5: No port. (The port has left the system.)"), std::string::npos)
      << r.err;
  EXPECT_FALSE(fs::exists(file("gone.fps")));
}

INSTANTIATE_TEST_SUITE_P(Servers, CliNet,
                         ::testing::Values(Server::Ser2netTelnet, Server::Ser2netRaw,
                                           Server::SimTelnet, Server::SimRaw),
                         [](const auto& p) { return nameOf(p.param); });

}  // namespace
}  // namespace lyra
