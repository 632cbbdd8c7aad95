// The command line: every command with its options, help and version, and a clear usage error
// (exit 2) for anything else, before any port or file is touched.

#include "cli/CommandLine.h"

#include <gtest/gtest.h>

#include "tests/cli/CliTestSupport.h"

namespace lyra::cli {
namespace {

Invocation Parsed(const std::vector<std::string>& args) {
  auto p = ParseCommandLine(args);
  if (auto* e = std::get_if<UsageError>(&p)) {
    ADD_FAILURE() << e->message;
    return {};
  }
  return std::get<Invocation>(p);
}

std::string ErrorOf(const std::vector<std::string>& args) {
  auto p = ParseCommandLine(args);
  if (auto* e = std::get_if<UsageError>(&p)) return e->message;
  return "<accepted>";
}

TEST(CommandLine, EveryCommandOfTheInterfaceWithItsOptions) {
  Invocation i = Parsed({"ports", "--json"});
  EXPECT_EQ(i.command, Command::Ports);
  EXPECT_TRUE(i.json);

  i = Parsed({"search"});
  EXPECT_EQ(i.command, Command::Search);
  EXPECT_FALSE(i.port);
  ASSERT_EQ(i.ids.size(), 255u) << "every DeviceId by default";
  EXPECT_EQ(i.ids.front(), 1);
  i = Parsed({"search", "--port", "ttySIM0", "--ids", "1-10", "--json"});
  EXPECT_EQ(*i.port, "ttySIM0");
  EXPECT_EQ(i.ids.size(), 10u);

  i = Parsed({"status", "--port=COM3", "--id", "1,3,5-8", "--watch", "--json"});
  EXPECT_EQ(*i.port, "COM3");
  EXPECT_EQ(i.ids, (std::vector<int>{1, 3, 5, 6, 7, 8}));
  EXPECT_TRUE(i.watch);
  EXPECT_EQ(i.watchSeconds, 1.0);
  i = Parsed({"status", "--port", "p", "--id", "2", "--watch", "2.5"});
  EXPECT_EQ(i.watchSeconds, 2.5);

  i = Parsed({"read", "--port", "p", "--id", "4", "-o", "a.sps"});
  EXPECT_EQ(i.ids, std::vector<int>{4});
  EXPECT_EQ(*i.output, "a.sps");
  EXPECT_EQ(*Parsed({"read", "--port", "p", "--id", "4", "-oa.sps"}).output, "a.sps");
  EXPECT_EQ(Parsed({"write", "--port", "p", "--id", "4", "a.sps"}).files,
            std::vector<std::string>{"a.sps"});
  EXPECT_EQ(*Parsed({"backup", "--port", "p", "--id", "1-3", "-o", "rack/"}).output, "rack/");
  EXPECT_EQ(Parsed({"restore", "--port", "p", "--id", "1-3", "all.fps"}).ids.size(), 3u);

  i = Parsed({"load-slot", "--port", "p", "--id", "1", "Usr7"});
  EXPECT_EQ(i.slot, 8);
  EXPECT_EQ(Parsed({"load-slot", "--port", "p", "--id", "1", "pre0:"}).slot, 1);
  EXPECT_EQ(Parsed({"load-slot", "--port", "p", "--id", "1", "Pre5"}).slotName, "Pre5");

  i = Parsed({"name-slot", "--port", "p", "--id", "1", "Usr6", "  Main hall  "});
  EXPECT_EQ(i.slot, 7);
  EXPECT_EQ(i.presetName, "Main hall") << "trimmed as the window trims it";
  EXPECT_EQ(Parsed({"name-slot", "--port", "p", "--id", "1", "Usr7", ""}).presetName, "");
  EXPECT_EQ(Parsed({"name-slot", "--port", "p", "--id", "1", "Usr7", std::string(19, 'x')})
                .presetName.size(),
            19u);

  EXPECT_EQ(Parsed({"set-id", "--port", "p", "--id", "1", "12"}).newId, 12);

  i = Parsed({"set", "--port", "p", "--id", "1-2", "eq1.gain=-3", "mute=on"});
  ASSERT_EQ(i.settings.size(), 2u);
  EXPECT_EQ(i.settings[0].parameter, SetParameter::EqGain);
  EXPECT_EQ(i.settings[1].parameter, SetParameter::Mute);

  EXPECT_EQ(Parsed({"show", "a.fps", "--json"}).files, std::vector<std::string>{"a.fps"});
  EXPECT_EQ(Parsed({"diff", "a.sps", "b.sps"}).files.size(), 2u);
  EXPECT_EQ(Parsed({"show", "--", "-odd.sps"}).files, std::vector<std::string>{"-odd.sps"});
}

TEST(CommandLine, HelpAndVersionWhereverAsked) {
  EXPECT_EQ(Parsed({"--help"}).action, Invocation::Action::Help);
  EXPECT_FALSE(Parsed({"--help"}).command);
  EXPECT_EQ(Parsed({"--version"}).action, Invocation::Action::Version);
  // COMMAND --help wins over anything wrong beside it.
  const Invocation i = Parsed({"read", "--bogus", "--help"});
  EXPECT_EQ(i.action, Invocation::Action::Help);
  EXPECT_EQ(i.command, Command::Read);
  for (const char* name : {"ports", "search", "status", "read", "write", "backup", "restore",
                           "load-slot", "name-slot", "set-id", "set", "show", "diff"}) {
    const test::CliRun run = test::RunTool({name, "--help"});
    EXPECT_EQ(run.code, 0) << name;
    EXPECT_EQ(run.out.rfind(std::string("Usage: lyraphone-cli ") + name + " ", 0), 0u) << run.out;
    EXPECT_EQ(run.err, "");
  }
  const test::CliRun general = test::RunTool({"--help"});
  EXPECT_EQ(general.code, 0);
  for (const char* name : {"ports", "search", "load-slot", "diff"})
    EXPECT_NE(general.out.find(std::string("\n  ") + name + " "), std::string::npos) << name;
  EXPECT_EQ(test::RunTool({"--version"}).out.rfind("lyraphone-cli ", 0), 0u);
  EXPECT_EQ(CommandHelp(Command::Set).find("eqN.bypass=on|off") != std::string::npos, true);
}

TEST(CommandLine, HelpNamesTheJsonFieldsAsTheManualPageDoes) {
  const std::string search = CommandHelp(Command::Search);
  for (const char* field : {"\"port\"", "\"path\"", "\"id\""})
    EXPECT_NE(search.find(field), std::string::npos) << field;
  const std::string status = CommandHelp(Command::Status);
  for (const char* field : {"\"port\"", "\"id\"", "\"temperature\"", "\"temperatureText\"",
                            "\"attenuation\"", "\"time\"", "\"error\"", "JSON Lines"})
    EXPECT_NE(status.find(field), std::string::npos) << field;
}

TEST(CommandLine, UsageErrorsNameTheMistake) {
  EXPECT_EQ(ErrorOf({}), "no command given");
  EXPECT_EQ(ErrorOf({"frobnicate"}), "unknown command 'frobnicate'");
  EXPECT_EQ(ErrorOf({"--verbose"}), "unknown option --verbose");
  EXPECT_EQ(ErrorOf({"status", "--id", "1"}), "status: --port PORT is needed");
  EXPECT_EQ(ErrorOf({"status", "--port", "p"}), "status: --id LIST is needed");
  EXPECT_EQ(ErrorOf({"read", "--port", "p", "--id", "1"}), "read: -o is needed");
  EXPECT_EQ(ErrorOf({"read", "--port", "p", "--id", "1,2", "-o", "a.sps"}),
            "read: works on one device: --id takes one DeviceId, not '1,2'");
  EXPECT_EQ(ErrorOf({"read", "--port", "p", "--id", "1", "-o", "a.fps"}),
            "read: the active preset goes to a .sps file, not 'a.fps' (backup writes .fps)");
  EXPECT_EQ(ErrorOf({"backup", "--port", "p", "--id", "1", "-o", "a.sps"}),
            "backup: all presets go to a .fps file or a folder, not 'a.sps'");
  EXPECT_EQ(ErrorOf({"write", "--port", "p", "--id", "1", "all.fps"}),
            "write: 'all.fps' holds all presets; restore loads it");
  EXPECT_EQ(ErrorOf({"restore", "--port", "p", "--id", "1", "one.sps"}),
            "restore: 'one.sps' holds one preset; write loads it");
  EXPECT_EQ(ErrorOf({"status", "--port", "p", "--id", "0"}),
            "status: --id: '0' is outside the DeviceIds 1..255");
  EXPECT_EQ(ErrorOf({"search", "--ids", "1-"}), "search: --ids: in '1-': an id is missing");
  EXPECT_EQ(ErrorOf({"search", "--port", "a", "--port", "b"}), "--port is given twice");
  EXPECT_EQ(ErrorOf({"search", "--port"}), "--port needs a PORT");
  EXPECT_EQ(ErrorOf({"search", "--port", "--json"}), "--port needs a PORT");
  EXPECT_EQ(ErrorOf({"show", "--port", "p", "a.sps"}),
            "show has no option --port (lyraphone-cli show FILE.sps|FILE.fps [--json])");
  EXPECT_EQ(ErrorOf({"ports", "--json=yes"}), "--json takes no value");
  EXPECT_EQ(ErrorOf({"status", "--port", "p", "--id", "1", "--watch=0.1"}),
            "status: --watch: '0.1' is not a number of seconds from 0.5 to 86400");
  EXPECT_EQ(ErrorOf({"status", "--port", "p", "--id", "1", "--watch", "abc"}),
            "status: --watch needs a number of seconds from 0.5 to 86400, not 'abc'");
  EXPECT_EQ(ErrorOf({"status", "--port", "p", "--id", "1", "--watch", "-2"}),
            "status: --watch: '-2' is not a number of seconds from 0.5 to 86400");
  EXPECT_TRUE(Parsed({"status", "--port", "p", "--watch", "--id", "1"}).watch);
  EXPECT_EQ(ErrorOf({"show"}), "show: FILE is missing");
  EXPECT_EQ(ErrorOf({"show", "a.sps", "b.sps"}), "show: 'b.sps' is one operand too many");
  EXPECT_EQ(ErrorOf({"diff", "a.sps"}), "diff: B is missing");
  EXPECT_EQ(ErrorOf({"ports", "extra"}), "ports: 'extra' is one operand too many");
  EXPECT_EQ(ErrorOf({"load-slot", "--port", "p", "--id", "1", "Usr8"}),
            "load-slot: 'Usr8' is not a slot (Pre0..Pre5, Usr6, Usr7)");
  EXPECT_EQ(ErrorOf({"name-slot", "--port", "p", "--id", "1", "Pre1", "x"}),
            "name-slot: 'Pre1' is not a user slot (Usr6 or Usr7)");
  EXPECT_EQ(ErrorOf({"name-slot", "--port", "p", "--id", "1", "Usr6", std::string(20, 'x')}),
            "name-slot: NAME has 20 characters; a slot's name has at most 19");
  EXPECT_EQ(ErrorOf({"name-slot", "--port", "p", "--id", "1", "Usr6", "Saal \xC3\xBC"}),
            "name-slot: NAME takes the characters from space to '~' only; 'Saal \xC3\xBC' has "
            "others");
  EXPECT_EQ(ErrorOf({"name-slot", "--port", "p", "--id", "1", "Usr6"}),
            "name-slot: NAME is missing");
  EXPECT_EQ(ErrorOf({"set-id", "--port", "p", "--id", "1", "256"}),
            "set-id: NEW: '256' is outside the DeviceIds 1..255");
  EXPECT_EQ(ErrorOf({"set-id", "--port", "p", "--id", "1", "-1"}),
            "set-id: NEW: '-1' is not a DeviceId (a whole number 1..255)");
  EXPECT_EQ(ErrorOf({"set", "--port", "p", "--id", "1"}),
            "set: PARAM=VALUE is missing (for example eq1.gain=-3)");
  EXPECT_EQ(ErrorOf({"set", "--port", "p", "--id", "1", "eq1.gain=-3", "eq9.q=1"}),
            "set: eq9.q: the equaliser has bands eq1..eq6");
}

TEST(CommandLine, ABypassAndAGainOfOneBandAreRefusedTogether) {
  // A bypassed band is sent flat: the gain would be printed as stored and never reach the device.
  const std::string refused =
      "set: eq3.bypass=on and eq3.gain=6 cannot go together: the device has no bypass of its "
      "own, a bypassed band is sent flat (0 dB) and the gain would not be stored";
  EXPECT_EQ(ErrorOf({"set", "--port", "p", "--id", "1", "eq3.bypass=on", "eq3.gain=6"}), refused);
  EXPECT_NE(ErrorOf({"set", "--port", "p", "--id", "1", "eq3.gain=6", "eq3.bypass=ON"})
                .find("cannot go together"),
            std::string::npos)
      << "in either order";
  EXPECT_EQ(test::RunTool({"set", "--port", "p", "--id", "1", "eq3.bypass=on", "eq3.gain=6"}).code,
            2);
  // Another band's gain, or a bypass turned off, goes with it.
  EXPECT_EQ(ErrorOf({"set", "--port", "p", "--id", "1", "eq3.bypass=on", "eq2.gain=6"}),
            "<accepted>");
  EXPECT_EQ(ErrorOf({"set", "--port", "p", "--id", "1", "eq3.bypass=off", "eq3.gain=6"}),
            "<accepted>");
  EXPECT_EQ(ErrorOf({"set", "--port", "p", "--id", "1", "eq3.bypass=on", "eq3.q=2"}),
            "<accepted>");
  // The help says what bypass is.
  EXPECT_NE(CommandHelp(Command::Set).find("The device has no bypass of its own: eqN.bypass=on "
                                           "sets the band flat"),
            std::string::npos);
}

}  // namespace
}  // namespace lyra::cli

namespace lyra::cli {
namespace {

TEST(CommandLine, TraceGoesWithEveryCommandThatTalksToDevicesBeforeItOrAmongItsOptions) {
  EXPECT_EQ(*Parsed({"--trace", "t.txt", "backup", "--port", "p", "--id", "1", "-o", "a.fps"})
                 .trace,
            "t.txt");
  EXPECT_EQ(*Parsed({"--trace=t.txt", "status", "--port", "p", "--id", "1"}).trace, "t.txt");
  EXPECT_EQ(*Parsed({"search", "--trace", "t.txt"}).trace, "t.txt");
  EXPECT_EQ(*Parsed({"write", "--port", "p", "--id", "1", "--trace", "t.txt", "a.sps"}).trace,
            "t.txt");
  const Invocation i = Parsed({"--trace", "t.txt", "write", "--port", "p", "--id", "1", "--", "-a.sps"});
  EXPECT_EQ(*i.trace, "t.txt");
  EXPECT_EQ(i.files, std::vector<std::string>{"-a.sps"});
  EXPECT_FALSE(Parsed({"status", "--port", "p", "--id", "1"}).trace);

  EXPECT_EQ(ErrorOf({"--trace"}), "--trace needs a file");
  EXPECT_EQ(ErrorOf({"--trace", "t.txt"}), "--trace needs a command after it");
  EXPECT_EQ(ErrorOf({"--trace", "t.txt", "show", "a.sps"}),
            "show: works on files alone; --trace goes with the commands that talk to devices");
  EXPECT_EQ(ErrorOf({"status", "--port", "p", "--id", "1", "--trace="}),
            "status: --trace needs a file");
  EXPECT_EQ(ErrorOf({"set", "--file", "a.sps", "level=0", "--trace", "t.txt"}),
            "set: --file edits a preset file; --trace goes with devices");
  EXPECT_NE(CommandHelp(Command::Backup).find("--trace FILE"), std::string::npos);
}

}  // namespace
}  // namespace lyra::cli

namespace lyra::cli {
namespace {

TEST(CommandLine, FastGoesWithBackupAlone) {
  EXPECT_TRUE(Parsed({"backup", "--port", "p", "--id", "1", "-o", "a.fps", "--fast"}).fast);
  EXPECT_FALSE(Parsed({"backup", "--port", "p", "--id", "1", "-o", "a.fps"}).fast);
  EXPECT_EQ(ErrorOf({"backup", "--port", "p", "--id", "1", "-o", "a.fps", "--fast=yes"}),
            "--fast takes no value");
  EXPECT_EQ(ErrorOf({"restore", "--port", "p", "--id", "1", "--fast", "a.fps"}).rfind(
                "restore has no option --fast", 0),
            0u);
  EXPECT_NE(CommandHelp(Command::Backup).find("--fast"), std::string::npos);
  EXPECT_NE(CommandHelp(Command::Backup).find("700 ms"), std::string::npos);
}

}  // namespace
}  // namespace lyra::cli
