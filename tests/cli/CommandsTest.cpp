// The tool as a script sees it: exit codes, what goes to stdout and to stderr, the port list,
// PORT resolution, and the checks the device commands make before they would send anything.

#include "cli/Commands.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/CliEvents.h"
#include "cli/PortChoice.h"
#include "cli/Progress.h"
#include "cli/StatusLines.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/cli/JsonText.h"
#include "tests/storage/TempFolder.h"

namespace lyra::test {
namespace {

class Tool : public ::testing::Test {
 protected:
  Tool() {
    ports.ports = std::vector<PortEntry>{
        {"ttyUSB0", "/dev/ttyUSB0"}, {"COM3", "COM3"}, {"ttySIM0", (folder / "ttySIM0").string()}};
  }
  CliRun run(const std::vector<std::string>& args) { return RunTool(args, ports); }
  TempFolder folder;
  FixedPorts ports;
};

TEST_F(Tool, PortsAsTheWindowsListShowsThem) {
  const CliRun text = run({"ports"});
  EXPECT_EQ(text.code, 0);
  EXPECT_EQ(text.out, "COM3     COM3\nttySIM0  " + (folder / "ttySIM0").string() +
                          "\nttyUSB0  /dev/ttyUSB0\n");
  const CliRun json = run({"ports", "--json"});
  EXPECT_EQ(Compact(json.out).substr(0, 57),
            "[{\"name\":\"COM3\",\"path\":\"COM3\"},{\"name\":\"ttySIM0\",\"path\":\"");
  ports.ports = std::nullopt;  // the system's list cannot be read
  const CliRun none = run({"ports", "--json"});
  EXPECT_EQ(none.code, 0);
  EXPECT_EQ(none.out, "[]\n");
  EXPECT_EQ(run({"ports"}).err, "lyraphone-cli: no serial ports found\n");
}

TEST_F(Tool, PortByNameByPathOrNotAtAll) {
  const auto name = [&](const std::string& given) {
    auto r = cli::ResolvePort(given, ports);
    return std::holds_alternative<PortEntry>(r) ? std::get<PortEntry>(r).devicePath
                                                : "error: " + std::get<std::string>(r);
  };
  EXPECT_EQ(name("ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(name("com3"), "COM3") << "COM names in any case, as Windows takes them";
  EXPECT_EQ(name("/dev/ttyUSB0"), "/dev/ttyUSB0");
  // The simulator's link, reached through another path to the same file.
  WriteBytes(folder / "ttySIM0", "");
  EXPECT_EQ(name((folder / "." / "ttySIM0").string()), (folder / "ttySIM0").string());
  // A pseudo-terminal the list does not show, given by its path.
  WriteBytes(folder / "pts7", "");
  EXPECT_EQ(name((folder / "pts7").string()), (folder / "pts7").string());
  EXPECT_EQ(name("/dev/ttyNOPE9"), "error: /dev/ttyNOPE9: no such device");
  EXPECT_EQ(name("ttyUSB9"),
            "error: no port ttyUSB9 (the ports are COM3, ttySIM0, ttyUSB0; lyraphone-cli ports "
            "lists them)");
  // A port on the network is not in the list: taken as given once well formed, in its usual
  // form, and a malformed one says what is wrong instead of listing the ports.
  EXPECT_EQ(name("RFC2217://[::1]:4001"), "rfc2217://[::1]:4001");
  EXPECT_EQ(name("tcp://rack-3.example:4002"), "tcp://rack-3.example:4002");
  EXPECT_EQ(name("tcp://rack-3.example"),
            "error: tcp://rack-3.example: no port number (the form is rfc2217://HOST:PORT or "
            "tcp://HOST:PORT)");
}

TEST_F(Tool, ExitCodesForEveryKindOfOutcome) {
  EXPECT_EQ(run({"--help"}).code, 0);
  EXPECT_EQ(run({"--version"}).code, 0);
  const CliRun usage = run({"status", "--port", "ttyUSB0"});
  EXPECT_EQ(usage.code, 2);
  EXPECT_EQ(usage.out, "");
  EXPECT_EQ(usage.err,
            "lyraphone-cli: status: --id LIST is needed\nTry 'lyraphone-cli status --help'.\n");
  EXPECT_EQ(run({"show", (folder / "missing.sps").string()}).code, 2);

  const CliRun noPort = run({"status", "--port", "ttyUSB9", "--id", "1"});
  EXPECT_EQ(noPort.code, 3);
  EXPECT_NE(noPort.err.find("no port ttyUSB9"), std::string::npos);
  ports.ports = std::vector<PortEntry>{};
  EXPECT_EQ(run({"search"}).code, 3) << "no port to search";
}

// Without a driver to talk to devices with (the environment gives none), a device command checks
// everything it can and then stops without sending, saying so.
TEST_F(Tool, DeviceCommandsWithoutADriverCheckTheirArgumentsFilesAndPortThenStop) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"search"},
        {"status", "--port", "ttyUSB0", "--id", "1-3"},
        {"load-slot", "--port", "COM3", "--id", "1", "Pre2"},
        {"set", "--port", "ttyUSB0", "--id", "1", "eq1.gain=-3"}}) {
    const CliRun r = run(args);
    EXPECT_EQ(r.code, 1) << args[0];
    EXPECT_EQ(r.out, "") << args[0];
    EXPECT_NE(r.err.find("no serial driver"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing was sent"), std::string::npos) << r.err;
  }
}

TEST_F(Tool, WriteAndRestoreRefuseADamagedFileBeforeAnythingElse) {
  const auto sps = folder / "bad.sps";
  WriteBytes(sps, BlockText(0, 0, 0x28, DeviceMemory::flatPreset()) + "FF\r\n");
  const CliRun write = run({"write", "--port", "ttyUSB9", "--id", "1", sps.string()});
  EXPECT_EQ(write.code, 2) << "the file is checked before the port";
  EXPECT_EQ(write.err, "lyraphone-cli: " + sps.string() +
                           ":1: the preset text holds 666 characters; a preset holds 664\n");
  const auto fps = folder / "bad.fps";
  std::string lines;
  for (int n = 0; n < 19; ++n) lines += BlockText(0, 1, 0x29, DeviceMemory::flatPreset()) + "\r\n";
  WriteBytes(fps, lines);
  const CliRun restore = run({"restore", "--port", "ttyUSB0", "--id", "1-4", fps.string()});
  EXPECT_EQ(restore.code, 2);
  EXPECT_NE(restore.err.find("bad.fps:19: the file ends after 19 lines"), std::string::npos);
  // A good file passes the check; the command then stops at the sessions.
  const auto good = folder / "good.fps";
  WriteAllFile(good, DeviceMemory::factory(1).blocks);
  EXPECT_EQ(run({"restore", "--port", "ttyUSB0", "--id", "1-4", good.string()}).code, 1);
}

// One digit of a saved file changed: every command that reads it refuses it with the line, and
// write and restore before the port is looked at.
TEST_F(Tool, AFileWithAChangedDigitIsRefusedWithItsLineByEveryCommand) {
  std::string changed = BlockText(0, 0, 0x28, DeviceMemory::flatPreset());
  changed[300] = changed[300] == '7' ? '8' : '7';
  const auto sps = folder / "changed.sps";
  WriteBytes(sps, changed + "\r\n");
  const auto fps = folder / "changed.fps";
  WriteAllFile(fps, DeviceMemory::factory(1).blocks);
  auto lines = ReadTextLines(fps).lines;
  lines[6][40] = lines[6][40] == '0' ? '1' : '0';
  ASSERT_FALSE(WriteTextLines(fps, lines));
  const auto good = folder / "good.sps";
  WriteBytes(good, BlockText(0, 0, 0x28, DeviceMemory::flatPreset()) + "\r\n");

  const CliRun write = run({"write", "--port", "ttyUSB9", "--id", "1", sps.string()});
  EXPECT_EQ(write.code, 2);
  EXPECT_NE(write.err.find(sps.string() + ":1: the line is damaged: its check byte is "),
            std::string::npos)
      << write.err;
  const CliRun restore = run({"restore", "--port", "ttyUSB9", "--id", "1", fps.string()});
  EXPECT_EQ(restore.code, 2);
  EXPECT_NE(restore.err.find(fps.string() + ":7: the line is damaged"), std::string::npos)
      << restore.err;
  for (const auto& file : {sps, fps}) {
    const CliRun show = run({"show", file.string()});
    EXPECT_EQ(show.code, 2);
    EXPECT_EQ(show.out, "");
    EXPECT_NE(show.err.find(file.string() + (file == sps ? ":1: " : ":7: ")), std::string::npos)
        << show.err;
  }
  const CliRun diff = run({"diff", good.string(), sps.string()});
  EXPECT_EQ(diff.code, 2);
  EXPECT_NE(diff.err.find(sps.string() + ":1: the line is damaged"), std::string::npos)
      << diff.err;
}

TEST_F(Tool, BackupOfSeveralDevicesNeedsAFolder) {
  auto files = cli::BackupFiles((folder / "rack.fps").string(), {3});
  ASSERT_TRUE(std::holds_alternative<std::vector<std::filesystem::path>>(files));
  EXPECT_EQ(std::get<0>(files), std::vector<std::filesystem::path>{folder / "rack.fps"});
  files = cli::BackupFiles(folder.path().string(), {3, 12});
  EXPECT_EQ(std::get<0>(files),
            (std::vector<std::filesystem::path>{folder / "3.fps", folder / "12.fps"}));
  files = cli::BackupFiles("not-yet-made/", {1});
  EXPECT_EQ(std::get<0>(files), std::vector<std::filesystem::path>{"not-yet-made/1.fps"});
  const CliRun r = run({"backup", "--port", "ttyUSB0", "--id", "1,2", "-o", "rack.fps"});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("several devices need a folder for -o"), std::string::npos);
  EXPECT_EQ(run({"read", "--port", "ttyUSB0", "--id", "1", "-o", folder.path().string()}).code, 2);
}

TEST(Progress, ABarOnATerminalAndATenthALineOtherwise) {
  std::ostringstream terminal;
  {
    cli::Progress bar(terminal, true);
    bar.update("backup 3", 1, 4);
    bar.update("backup 3", 4, 4);
  }
  EXPECT_EQ(terminal.str(),
            "\rbackup 3 [#######.......................] 25%\x1b[K"
            "\rbackup 3 [##############################] 100%\x1b[K\n");
  std::ostringstream log;
  {
    cli::Progress lines(log, false);
    for (int done = 0; done <= 20; ++done) lines.update("backup 3", done, 20);
    lines.line("backup 5: no answer");
  }
  EXPECT_EQ(log.str(),
            "backup 3: 0%\nbackup 3: 10%\nbackup 3: 20%\nbackup 3: 30%\nbackup 3: 40%\n"
            "backup 3: 50%\nbackup 3: 60%\nbackup 3: 70%\nbackup 3: 80%\nbackup 3: 90%\n"
            "backup 3: 100%\nbackup 5: no answer\n");
}

TEST(StatusLines, ATimeStampedLineOrJsonObjectWithTheReadingsOrTheError) {
  using namespace std::chrono;
  cli::StatusLine line{sys_days{year{2026} / 12 / 9} + hours{6} + minutes{5} + seconds{6} +
                           milliseconds{23},
                       "ttySIM0", 5, 36, "36 C", 0, {}};
  EXPECT_EQ(cli::TimeStamp(line.time), "2026-12-09T06:05:06.023Z");
  EXPECT_EQ(cli::StatusText(line), "2026-12-09T06:05:06.023Z  5  36 C  0 dB\n");
  EXPECT_EQ(cli::StatusJsonLine(line),
            "{\"time\": \"2026-12-09T06:05:06.023Z\", \"port\": \"ttySIM0\", \"id\": 5, "
            "\"temperature\": 36, \"temperatureText\": \"36 C\", \"attenuation\": 0}\n");
  line.error = "say \"no\"";
  EXPECT_EQ(cli::StatusText(line), "2026-12-09T06:05:06.023Z  5  error: say \"no\"\n");
  EXPECT_EQ(cli::StatusJsonLine(line),
            "{\"time\": \"2026-12-09T06:05:06.023Z\", \"port\": \"ttySIM0\", \"id\": 5, "
            "\"error\": \"say \\\"no\\\"\"}\n");
  // A message box's line breaks become spaces: one line a device.
  line.error = "UNABLE TO CONNECT TO DEVICE!\rPlease check.";
  EXPECT_EQ(cli::StatusText(line),
            "2026-12-09T06:05:06.023Z  5  error: UNABLE TO CONNECT TO DEVICE! Please check.\n");
  EXPECT_NE(cli::StatusJsonLine(line).find("\"error\": \"UNABLE TO CONNECT TO DEVICE! Please"),
            std::string::npos);
}

// The tool words a failed connect as the window does: for a network port the system's reason
// (a refused connection, an unknown host), for a serial port that is not there the usual words.
TEST(ToolWords, ANetworkPortSaysTheSystemsReasonASerialPortThatItDoesNotExist) {
  std::vector<std::string> printed;
  cli::CliEvents events([&](const std::string& line) { printed.push_back(line); });
  events.context = "device 1";
  events.ended({Operation::Connect, OutcomeKind::NoPort, "rfc2217://rack.invalid:4001",
                "rack.invalid:4001: look-up: Name or service not known"});
  events.ended({Operation::Connect, OutcomeKind::NoPort, "/dev/ttyUSB7", "open: No such file"});
  EXPECT_EQ(printed, (std::vector<std::string>{
                         "lyraphone-cli: device 1: No port. (rack.invalid:4001: look-up: Name or "
                         "service not known)",
                         "lyraphone-cli: device 1: No port. (The port does not exist.)"}));
}

}  // namespace
}  // namespace lyra::test
