// diff: two preset files compared parameter by parameter; exit 0 when they hold the same presets,
// 1 when they differ, 2 when they cannot be compared.

#include <gtest/gtest.h>

#include "tests/cli/CliTestSupport.h"
#include "tests/cli/JsonText.h"
#include "tests/storage/TempFolder.h"

namespace lyra::test {
namespace {

class Diff : public ::testing::Test {
 protected:
  std::string single(const std::string& name, const PresetData& data) {
    const auto path = folder / name;
    WriteSingleFile(path, data);
    return path.string();
  }
  TempFolder folder;
  const PresetData flat = DeviceMemory::flatPreset();
};

TEST_F(Diff, TheSamePresetsAreTheSameWhoeverWroteThem) {
  const std::string a = single("a.sps", flat);
  // Written by the device at DeviceId 6: the header differs, which no upload ever uses.
  const auto b = folder / "b.sps";
  ASSERT_FALSE(WriteTextLines(b, {BlockText(0x05, 0x00, 0x28, flat)}));
  const CliRun run = RunTool({"diff", a, b.string()});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_NE(Compact(RunTool({"diff", "--json", a, b.string()}).out)
                .find("\"same\":true,\"differences\":[]"),
            std::string::npos);
}

TEST_F(Diff, ChangedParametersWithBothValuesAndCarriedOnesMarked) {
  const std::string a = single("a.sps", flat);
  PresetData changed = WithRow(flat, 0x05, 0, {0, 0, 150, 0, 120, 0, 4, 0});  // eq1 +6.0 dB
  changed = WithRow(changed, 0x01, 0, {180, 1, 0, 0, 0, 0, 0, 0});            // mid -2.0 dB
  const std::string b = single("b.sps", changed);
  const CliRun run = RunTool({"diff", a, b});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out,
            "eq1.gain   0.0 dB  ->  6.0 dB\n"
            "mid.level  0.0 dB  ->  -2.0 dB   (carried)\n");
}

TEST_F(Diff, AGainTheBandDoesNotShowIsComparedByItsField) {
  const std::string a = single("a.sps", flat);
  // Main band 1 keeps PEQ at 0.0 dB; only its unused shelf gain differs.
  const std::string b = single("b.sps", WithRow(flat, 0x05, 0, {0, 0, 120, 0, 90, 0, 4, 0}));
  EXPECT_EQ(RunTool({"diff", a, b}).out, "eq1.shelf-gain  0.0 dB  ->  -6.0 dB   (carried)\n");
  // A type change shows the type, the gain each side shows, and no gain field twice.
  const std::string c = single("c.sps", WithRow(flat, 0x05, 0, {0, 1, 120, 0, 90, 0, 4, 0}));
  EXPECT_EQ(RunTool({"diff", a, c}).out,
            "eq1.gain        0.0 dB  ->  -6.0 dB\n"
            "eq1.type        PEQ  ->  LS\n"
            "eq1.shelf-gain  0.0 dB  ->  -6.0 dB   (carried)\n");
}

TEST_F(Diff, BytesTheDeviceReceivesButNoParameterShowsCountToo) {
  const std::string a = single("a.sps", flat);
  PresetData marked = flat;
  marked[300] = 0x5A;  // past every row
  const std::string b = single("b.sps", marked);
  const CliRun run = RunTool({"diff", a, b});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out,
            "data byte 300  00  ->  5A   (no parameter shows it; the device receives it)\n");
  // A Low level of 230 and of 240 both show 0.0 dB (the range rule), but the device gets either.
  PresetData low230 = flat, low240 = flat;
  low230[144] = 230;
  low240[144] = 240;
  EXPECT_EQ(RunTool({"diff", single("c.sps", low230), single("d.sps", low240)}).out,
            "data byte 144  E6  ->  F0   (no parameter shows it; the device receives it)\n");
}

TEST_F(Diff, AllPresetsFilesBlockByBlock) {
  DeviceMemory device = DeviceMemory::factory(1);
  const auto a = folder / "a.fps";
  WriteAllFile(a, device.blocks);
  device.blocks[2] = WithRow(device.blocks[2], 0x04, 0, {30, 1, 0, 0, 243, 0, 0, 0});
  device.blocks[11][300] = 1;
  const auto b = folder / "b.fps";
  WriteAllFile(b, device.blocks);
  const CliRun run = RunTool({"diff", a.string(), b.string()});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(
      run.out,
      "block 3   hpf            40.5 Hz  ->  46.8 Hz\n"
      "block 12  data byte 300  00  ->  01   (no parameter shows it; the device receives it)\n");
  const std::string json = Compact(RunTool({"diff", "--json", a.string(), b.string()}).out);
  EXPECT_NE(json.find("{\"block\":3,\"parameter\":\"hpf\",\"carried\":false,"
                      "\"a\":{\"index\":25,\"value\":40.5,\"text\":\"40.5 Hz\"},"
                      "\"b\":{\"index\":30,\"value\":46.8,\"text\":\"46.8 Hz\"}}"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("{\"block\":12,\"byte\":300,\"a\":0,\"b\":1}"), std::string::npos);
  EXPECT_NE(json.find("\"same\":false"), std::string::npos);
}

TEST_F(Diff, FilesThatCannotBeComparedAreInputErrors) {
  const std::string a = single("a.sps", flat);
  const auto all = folder / "all.fps";
  WriteAllFile(all, DeviceMemory::factory(1).blocks);
  const CliRun kinds = RunTool({"diff", a, all.string()});
  EXPECT_EQ(kinds.code, 2);
  EXPECT_NE(kinds.err.find("diff compares two files of one kind"), std::string::npos);
  WriteBytes(folder / "bad.sps", "A5A5\r\nGG\r\n");
  const CliRun damaged = RunTool({"diff", a, (folder / "bad.sps").string()});
  EXPECT_EQ(damaged.code, 2);
  EXPECT_EQ(damaged.out, "");
  EXPECT_NE(damaged.err.find("bad.sps:2: column 1: 'G' is not a hexadecimal digit"),
            std::string::npos)
      << damaged.err;
}

}  // namespace
}  // namespace lyra::test
