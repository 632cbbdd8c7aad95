// show: preset files written as the window writes them, every parameter in the window's texts.

#include <gtest/gtest.h>

#include "tests/cli/CliTestSupport.h"
#include "tests/cli/JsonText.h"
#include "tests/storage/TempFolder.h"

namespace lyra::test {
namespace {

// A preset unlike the flat one in every field the window shows.
PresetData EditedPreset() {
  PresetData d = DeviceMemory::flatPreset();
  // Main: Bass Enhancer on, system level 286 (-3.0 dB), delay 50 steps, inverted, BTL on.
  d = WithRow(d, 0x03, 0, {1, 0, 286 & 0xFF, 286 >> 8, 50, 0, 1, 1});
  // Main filters: high-pass 40.5 Hz 24db-LR, low-pass 8000 Hz 18db-Bessel.
  d = WithRow(d, 0x04, 0, {25, 7, 0, 0, 208, 5, 0, 0});
  // Main band 2: 102 Hz low shelf at +6.0 dB (its unused PEQ gain -3.0 dB), Q 2.2.
  d = WithRow(d, 0x06, 0, {57, 1, 105, 0, 150, 0, 10, 0});
  // Satellite (High channel): -8.0 dB, muted, 300 steps, inverted.
  d = WithRow(d, 0x00, 0, {120, 0, 300 & 0xFF, 300 >> 8, 1, 0, 0, 0});
  // Carried: the Mid Way at -12.0 dB with its limiter at -6 dBu, 10 ms, 700 ms.
  d = WithRow(d, 0x01, 0, {80, 1, 0, 0, 0, 0, 0, 0});
  d = WithRow(d, 0x01, 2, {13, 4, 3, 0, 0, 0, 0, 0});
  return d;
}

// The value column of a parameter's line in the text output ("  level    -3.0 dB").
std::string ValueOf(const std::string& out, const std::string& key, std::size_t from = 0) {
  const std::string lineStart = "  " + key + " ";
  std::size_t at = out.find("\n" + lineStart, from);
  if (at == std::string::npos) at = out.find("\n    " + key + " ", from);
  if (at == std::string::npos) return "<no " + key + ">";
  at = out.find(key, at) + key.size();
  const std::size_t end = out.find('\n', at);
  std::string value = out.substr(at, end - at);
  value.erase(0, value.find_first_not_of(' '));
  return value;
}

class Show : public ::testing::Test {
 protected:
  TempFolder folder;
};

TEST_F(Show, EveryMainAndSatelliteParameterInTheWindowsTexts) {
  const auto file = folder / "mystyle.sps";
  WriteSingleFile(file, EditedPreset());
  const CliRun run = RunTool({"show", file.string()});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string& out = run.out;
  EXPECT_EQ(out.substr(0, out.find('\n')), file.string() + ": the active preset");
  EXPECT_EQ(ValueOf(out, "level"), "-3.0 dB");
  EXPECT_EQ(ValueOf(out, "mute"), "off");
  EXPECT_EQ(ValueOf(out, "polarity"), "Pol(-)");
  EXPECT_EQ(ValueOf(out, "delay"), "1.050 ms / 0.362 m / 1.187 ft");
  EXPECT_EQ(ValueOf(out, "hpf"), "40.5 Hz");
  EXPECT_EQ(ValueOf(out, "hpf.type"), "24db-LR");
  EXPECT_EQ(ValueOf(out, "lpf"), "8000 Hz");
  EXPECT_EQ(ValueOf(out, "lpf.type"), "18db-Bessel");
  EXPECT_EQ(ValueOf(out, "eq1.freq"), "19.7 Hz");
  EXPECT_EQ(ValueOf(out, "eq1.q"), "1");
  EXPECT_EQ(ValueOf(out, "eq1.gain"), "0.0 dB");
  EXPECT_EQ(ValueOf(out, "eq1.type"), "PEQ");
  EXPECT_EQ(ValueOf(out, "eq2.freq"), "102 Hz");
  EXPECT_EQ(ValueOf(out, "eq2.q"), "2.2");
  EXPECT_EQ(ValueOf(out, "eq2.gain"), "6.0 dB") << "a shelf shows its shelf gain";
  EXPECT_EQ(ValueOf(out, "eq2.type"), "LS");
  EXPECT_EQ(ValueOf(out, "bass-enhancer"), "on");
  EXPECT_EQ(ValueOf(out, "sat.level"), "-8.0 dB");
  EXPECT_EQ(ValueOf(out, "sat.mute"), "on");
  EXPECT_EQ(ValueOf(out, "sat.polarity"), "Pol(-)");
  EXPECT_EQ(ValueOf(out, "sat.delay"), "6.300 ms / 2.170 m / 7.119 ft");
  for (int n = 1; n <= 6; ++n) {
    for (const char* field : {".freq", ".q", ".gain", ".type"})
      EXPECT_NE(out.find("  eq" + std::to_string(n) + field + " "), std::string::npos)
          << n << field;
  }
}

TEST_F(Show, WhatNoControlEditsIsListedAfterTheWindowsParametersAsCarried) {
  const auto file = folder / "mystyle.sps";
  WriteSingleFile(file, EditedPreset());
  const std::string out = RunTool({"show", file.string()}).out;
  const std::size_t carried = out.find("  carried");
  ASSERT_NE(carried, std::string::npos);
  EXPECT_LT(out.find("  sat.delay "), carried);
  EXPECT_EQ(ValueOf(out, "eq2.peq-gain", carried), "-3.0 dB") << "the gain LS does not use";
  EXPECT_EQ(ValueOf(out, "btl", carried), "on");
  EXPECT_EQ(ValueOf(out, "mid.level", carried), "-12.0 dB");
  EXPECT_EQ(ValueOf(out, "mid.limiter.threshold", carried), "-6dBu");
  // Times are written one way, as the delays are.
  EXPECT_EQ(ValueOf(out, "mid.limiter.attack", carried), "10.000 ms");
  EXPECT_EQ(ValueOf(out, "mid.limiter.release", carried), "700.000 ms");
  EXPECT_EQ(ValueOf(out, "low.limiter.attack", carried), "0.500 ms");
  EXPECT_EQ(ValueOf(out, "low.limiter.release", carried), "90.000 ms");
  EXPECT_EQ(ValueOf(out, "low.lpf", carried), "21900 Hz");
  EXPECT_EQ(ValueOf(out, "high.eq6.q", carried), "1");
  // The High Way's channel is the satellite: it is not repeated among the carried values.
  EXPECT_EQ(out.find("high.level"), std::string::npos);
  EXPECT_EQ(out.find("high.delay"), std::string::npos);
}

TEST_F(Show, AllPresetsBlockByBlockWithTheirNumbers) {
  DeviceMemory device = DeviceMemory::factory(1);
  device.blocks[19] = EditedPreset();
  const auto file = folder / "myallstyle.fps";
  WriteAllFile(file, device.blocks);
  const CliRun run = RunTool({"show", file.string()});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, run.out.find('\n')), file.string() + ": all presets, 20 blocks");
  std::size_t previous = 0;
  for (int n = 1; n <= 20; ++n) {
    const std::size_t at = run.out.find("\nblock " + std::to_string(n) + "\n");
    ASSERT_NE(at, std::string::npos) << n;
    EXPECT_GT(at, previous) << "in order";
    previous = at;
  }
  const std::size_t bass = run.out.find("\nblock 5\n");
  EXPECT_EQ(ValueOf(run.out, "level", bass), "-3.0 dB") << "the factory's Bass Plus";
  EXPECT_EQ(ValueOf(run.out, "bass-enhancer", bass), "on");
  EXPECT_EQ(ValueOf(run.out, "eq1.gain", bass), "6.0 dB");
  const std::size_t last = run.out.find("\nblock 20\n");
  EXPECT_EQ(ValueOf(run.out, "sat.delay", last), "6.300 ms / 2.170 m / 7.119 ft");
  EXPECT_EQ(ValueOf(run.out, "level", run.out.find("\nblock 1\n")), "0.0 dB");
}

TEST_F(Show, AMutedSystemShowsMuteAsTheWindowDoes) {
  const auto file = folder / "muted.sps";
  WriteSingleFile(file, WithRow(DeviceMemory::flatPreset(), 0x03, 0, {0, 0, 0, 0, 0, 0, 0, 0}));
  const std::string out = RunTool({"show", file.string()}).out;
  EXPECT_EQ(ValueOf(out, "level"), "Mute");
  EXPECT_EQ(ValueOf(out, "mute"), "on");
}

TEST_F(Show, JsonGivesEachParametersDeviceIndexValueAndText) {
  const auto file = folder / "mystyle.sps";
  WriteSingleFile(file, EditedPreset());
  const CliRun run = RunTool({"show", "--json", file.string()});
  ASSERT_EQ(run.code, 0) << run.err;
  const std::string json = Compact(run.out);
  EXPECT_EQ(json.substr(0, 9), "{\"file\":\"");
  EXPECT_NE(json.find("\"kind\":\"sps\""), std::string::npos);
  for (const char* member :
       {"\"level\":{\"index\":286,\"value\":-3,\"text\":\"-3.0 dB\"}",
        "\"mute\":{\"index\":286,\"value\":false,\"text\":\"off\"}",
        "\"polarity\":{\"index\":1,\"value\":\"-\",\"text\":\"Pol(-)\"}",
        "\"hpf\":{\"index\":25,\"value\":40.5,\"text\":\"40.5 Hz\"}",
        "\"hpf.type\":{\"index\":7,\"value\":\"24db-LR\",\"text\":\"24db-LR\"}",
        "\"eq2.gain\":{\"index\":150,\"value\":6,\"text\":\"6.0 dB\"}",
        "\"eq2.q\":{\"index\":10,\"value\":2.2,\"text\":\"2.2\"}",
        "\"sat.level\":{\"index\":120,\"value\":-8,\"text\":\"-8.0 dB\"}",
        "\"sat.mute\":{\"index\":0,\"value\":true,\"text\":\"on\"}",
        "\"bass-enhancer\":{\"index\":1,\"value\":true,\"text\":\"on\"}"}) {
    EXPECT_NE(json.find(member), std::string::npos) << member;
  }
  EXPECT_NE(json.find("\"delay\":{\"index\":50,\"value\":1.05,\"metres\":0.36"), std::string::npos);
  const std::size_t carried = json.find("\"carried\":{");
  ASSERT_NE(carried, std::string::npos);
  EXPECT_GT(json.find("\"mid.level\":{\"index\":80,\"value\":-12,\"text\":\"-12.0 dB\"}"), carried);
  EXPECT_GT(json.find("\"eq2.peq-gain\":{\"index\":105"), carried);
}

TEST_F(Show, JsonOfAllPresetsHasTwentyNumberedBlocks) {
  const auto file = folder / "myallstyle.fps";
  WriteAllFile(file, DeviceMemory::factory(1).blocks);
  const std::string json = Compact(RunTool({"show", file.string(), "--json"}).out);
  EXPECT_NE(json.find("\"kind\":\"fps\",\"blocks\":[{\"block\":1,\"parameters\":{"),
            std::string::npos);
  EXPECT_NE(json.find("{\"block\":20,\"parameters\":{"), std::string::npos);
  EXPECT_EQ(json.find("{\"block\":21,"), std::string::npos);
}

TEST_F(Show, AFileOfAnotherNameIsTakenByWhatItHolds) {
  const auto all = folder / "rack-backup.txt";
  WriteAllFile(all, DeviceMemory::factory(1).blocks);
  EXPECT_NE(RunTool({"show", all.string()}).out.find("all presets, 20 blocks"), std::string::npos);
  const auto one = folder / "preset.txt";
  WriteSingleFile(one, DeviceMemory::flatPreset());
  EXPECT_NE(RunTool({"show", one.string()}).out.find(": the active preset"), std::string::npos);
}

}  // namespace
}  // namespace lyra::test
