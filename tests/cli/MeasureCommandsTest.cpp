// The commands on equaliser settings and responses through the tool's runner: `eq`, `response`,
// and `set --file` / `set --eq-file` on preset files, with what a bad settings file leaves alone.

#include <gtest/gtest.h>

#include "cli/ExitCodes.h"
#include "cli/PresetFile.h"
#include "preset/PresetBlockText.h"
#include "preset/PresetDecoder.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/storage/TempFolder.h"

namespace lyra::test {
namespace {

class MeasureCommands : public ::testing::Test {
 protected:
  MeasureCommands() {
    flatText = [&] {
      WriteSingleFile(folder / "flat.sps", DeviceMemory::flatPreset());
      return ReadBytes(folder / "flat.sps");
    }();
    WriteSingleFile(folder / "factory.sps", DeviceMemory::factory(1).active);
  }
  CliRun run(const std::vector<std::string>& args) { return RunTool(args, ports); }
  std::string file(const std::string& name) const { return (folder / name).string(); }
  PresetImage imageOf(const std::string& name, int block = 1) {
    auto read = cli::ReadPresetFile(file(name));
    EXPECT_TRUE(std::holds_alternative<cli::PresetFileContent>(read)) << name;
    PresetImage image;
    if (const auto* content = std::get_if<cli::PresetFileContent>(&read)) {
      const std::string& text = content->blocks.at(static_cast<std::size_t>(block - 1));
      EXPECT_TRUE(HasIntactFrame(text)) << "the window checks the frame of every block it loads";
      EXPECT_TRUE(DecodePresetBlock(text, image));
    }
    return image;
  }
  TempFolder folder;
  FixedPorts ports;
  std::string flatText;
};

TEST_F(MeasureCommands, SetOnAFileStoresAsOnADeviceAndEqReadsItBackExactly) {
  const CliRun set = run({"set", "--file", file("flat.sps"), "-o", file("tuned.sps"), "eq1.freq=63",
                          "eq1.gain=-3", "eq1.q=4", "eq2.type=LS", "eq2.gain=4.1", "eq6.type=HS",
                          "eq6.freq=25000", "eq6.gain=12", "eq6.q=0.2"});
  ASSERT_EQ(set.code, cli::kExitDone) << set.err;
  EXPECT_EQ(set.out,
            "eq1.freq = 62.5 Hz (adjusted)\neq1.gain = -3.0 dB\neq1.q = 4\neq2.type = LS\n"
            "eq2.gain = 4.0 dB (adjusted)\neq6.type = HS\neq6.freq = 21900 Hz (adjusted)\n"
            "eq6.gain = 12.0 dB\neq6.q = 0.2\n");
  EXPECT_EQ(set.err, "lyraphone-cli: set: wrote " + file("tuned.sps") + "\n");
  EXPECT_EQ(ReadBytes(folder / "flat.sps"), flatText) << "-o leaves the input as it was";
  const PresetImage tuned = imageOf("tuned.sps");
  EXPECT_EQ(tuned.band(ToBandSlot(Way::Main, 0)).frequency, 40);

  const CliRun eq = run({"eq", file("tuned.sps")});
  ASSERT_EQ(eq.code, cli::kExitDone) << eq.err;
  EXPECT_EQ(eq.out,
            "Filter 1: ON PK Fc 62.5 Hz Gain -3.0 dB Q 4\n"
            "Filter 2: ON LSC Fc 19.7 Hz Gain 4.0 dB Q 1\n"
            "Filter 3: OFF PK Fc 19.7 Hz Gain 0.0 dB Q 1\n"
            "Filter 4: OFF PK Fc 19.7 Hz Gain 0.0 dB Q 1\n"
            "Filter 5: OFF PK Fc 19.7 Hz Gain 0.0 dB Q 1\n"
            "Filter 6: ON HSC Fc 21900 Hz Gain 12.0 dB Q 0.2\n");
  ASSERT_EQ(run({"eq", file("tuned.sps"), "-o", file("tuned.txt")}).code, cli::kExitDone);

  // The export read into the flat preset gives the same preset back, byte for byte.
  const CliRun back = run(
      {"set", "--file", file("flat.sps"), "--eq-file", file("tuned.txt"), "-o", file("back.sps")});
  ASSERT_EQ(back.code, cli::kExitDone) << back.err;
  EXPECT_NE(back.out.find("band 1: Filter 1: ON PK Fc 62.5 Hz Gain -3.0 dB Q 4\n  stored ON PK "
                          "Fc 62.5 Hz Gain -3.0 dB Q 4 (response differs by at most 0.00 dB)\n"),
            std::string::npos)
      << back.out;
  EXPECT_EQ(run({"diff", file("tuned.sps"), file("back.sps")}).code, cli::kExitDone);
}

TEST_F(MeasureCommands, SetOnAllPresetsFileChangesOnlyItsBlock) {
  DeviceMemory memory = DeviceMemory::factory(1);
  WriteAllFile(folder / "all.fps", memory.blocks);
  const std::string before = ReadBytes(folder / "all.fps");
  const CliRun noBlock = run({"set", "--file", file("all.fps"), "level=-6"});
  EXPECT_EQ(noBlock.code, cli::kExitUsage);
  EXPECT_EQ(noBlock.err, "lyraphone-cli: set: " + file("all.fps") +
                             " holds twenty presets; --block N (1..20) names one\n");
  ASSERT_EQ(run({"set", "--file", file("all.fps"), "--block", "3", "level=-6"}).code,
            cli::kExitDone);
  EXPECT_EQ(imageOf("all.fps", 3).main.systemLevel, 271);
  const std::vector<std::string> a = SplitTextLines(before);
  const std::vector<std::string> b = SplitTextLines(ReadBytes(folder / "all.fps"));
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i] == b[i], i != 2) << "line " << i + 1;
  EXPECT_EQ(run({"eq", file("factory.sps"), "--block", "2"}).err,
            "lyraphone-cli: eq: " + file("factory.sps") +
                " holds one preset; --block is for all-presets files\n");
}

TEST_F(MeasureCommands, AFileThatIsNotEqualiserSettingsChangesNothing) {
  WriteBytes(folder / "binary.txt", std::string("\x7F"
                                                "ELF\x02\x01\x01\0\0\0",
                                                10));
  WriteBytes(folder / "empty.txt", "");
  WriteBytes(folder / "huge.txt", std::string(10 * 1024 * 1024, 'x'));
  WriteBytes(folder / "hp.txt",
             "Filter 1: ON PK Fc 63 Hz Gain -3 dB Q 4\nFilter 2: ON HP Fc 40 Hz\n");
  WriteBytes(folder / "loud.txt", "Preamp: 3 dB\nFilter: ON PK Fc 63 Hz Gain -3 dB Q 4\n");
  const std::string before = ReadBytes(folder / "factory.sps");
  const struct {
    std::string name, why;
  } cases[] = {
      {"binary.txt", "line 1: the file is not text (it holds control bytes)"},
      {"empty.txt", "the file is empty"},
      {"huge.txt", "the file is larger than 1 MB; equaliser settings are a few lines of text"},
      {"hp.txt", "line 2: the equaliser has no filter of type HP (its bands are PK, LSC or HSC)"},
      {"loud.txt", "line 1: Preamp 3 dB is above the system level's top (0.0 dB)"},
      {"missing.txt", "no such file"},
  };
  for (const auto& c : cases) {
    const CliRun r = run({"set", "--file", file("factory.sps"), "--eq-file", file(c.name)});
    EXPECT_EQ(r.code, cli::kExitUsage) << c.name;
    EXPECT_EQ(r.err,
              "lyraphone-cli: set: " + file(c.name) + ": " + c.why + "; nothing was changed\n");
    EXPECT_EQ(r.out, "");
    // On devices the file is refused before the port is even looked for.
    const CliRun device = run({"set", "--port", "ttyUSB9", "--id", "1", "--eq-file", file(c.name)});
    EXPECT_EQ(device.code, cli::kExitUsage) << c.name;
  }
  EXPECT_EQ(ReadBytes(folder / "factory.sps"), before);
}

TEST_F(MeasureCommands, ResponseAsFrdOrCsvWithTheDelayWhereAsked) {
  ASSERT_EQ(run({"set", "--file", file("flat.sps"), "-o", file("delayed.sps"), "delay=2.1",
                 "hpf=80", "hpf.type=24db-LR"})
                .code,
            cli::kExitDone);
  const CliRun frd = run({"response", file("delayed.sps")});
  ASSERT_EQ(frd.code, cli::kExitDone) << frd.err;
  const std::vector<std::string> lines = SplitTextLines(frd.out);
  ASSERT_EQ(lines.size(), 2u + 479u);
  EXPECT_EQ(lines[0], "* LYRAPHONE Main path: equaliser, high-pass and low-pass");
  EXPECT_EQ(lines[2].substr(0, 7), "20.000 ");
  const CliRun csv = run({"response", file("delayed.sps"), "--csv", "--with-delay"});
  const std::vector<std::string> rows = SplitTextLines(csv.out);
  ASSERT_EQ(rows.size(), 1u + 479u);
  EXPECT_EQ(rows[0], "Frequency (Hz),Magnitude (dB),Phase (degrees)");
  // The same magnitudes; the phase differs by the delay's turn.
  EXPECT_EQ(rows[100].substr(0, rows[100].rfind(',')), [&] {
    std::string l = lines[101];
    std::replace(l.begin(), l.end(), ' ', ',');
    return l.substr(0, l.rfind(','));
  }());
  EXPECT_NE(rows[100].substr(rows[100].rfind(',') + 1),
            lines[101].substr(lines[101].rfind(' ') + 1));
  ASSERT_EQ(run({"response", file("delayed.sps"), "-o", file("r.frd")}).code, cli::kExitDone);
  EXPECT_EQ(SplitTextLines(ReadBytes(folder / "r.frd")), lines);
}

TEST_F(MeasureCommands, CommandLineOfTheNewOptions) {
  const auto usage = [&](const std::vector<std::string>& args) {
    const CliRun r = run(args);
    EXPECT_EQ(r.code, cli::kExitUsage);
    return r.err.substr(0, r.err.find('\n'));
  };
  EXPECT_EQ(usage({"set", "--file", "a.sps", "--port", "COM3", "level=0"}),
            "lyraphone-cli: set: --file edits a preset file; --port and --id name devices and do "
            "not go with it");
  EXPECT_EQ(usage({"set", "--port", "COM3", "--id", "1", "-o", "x.sps", "level=0"}),
            "lyraphone-cli: set: -o goes with --file only");
  EXPECT_EQ(usage({"set", "--file", "a.fps", "--block", "21", "level=0"}),
            "lyraphone-cli: set: --block takes a block number from 1 to 20, not '21'");
  EXPECT_EQ(usage({"set", "--file", "a.sps"}),
            "lyraphone-cli: set: PARAM=VALUE is missing (for example eq1.gain=-3)");
  EXPECT_EQ(usage({"response", "a.sps", "--csv=yes"}), "lyraphone-cli: --csv takes no value");
  EXPECT_EQ(usage({"eq"}), "lyraphone-cli: eq: FILE is missing");
  EXPECT_EQ(usage({"eq", "a.sps", "--csv"}),
            "lyraphone-cli: eq has no option --csv (lyraphone-cli eq [--block N] [-o OUT] "
            "FILE.sps|FILE.fps)");
  EXPECT_NE(run({"--help"}).out.find("  response   the Main path's response"), std::string::npos);
  EXPECT_NE(run({"set", "--help"}).out.find("--eq-file EQ.txt"), std::string::npos);
}

}  // namespace
}  // namespace lyra::test
