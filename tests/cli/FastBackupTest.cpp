// lyraphone-cli backup --fast on simulated devices in virtual time: the same files as at the
// window's pace, in far less time. (The request-by-request pacing is tested on the session, in
// tests/storage/FastSaveAllTest.cpp.)

#include <gtest/gtest.h>

#include "cli/ExitCodes.h"
#include "storage/PresetFiles.h"
#include "tests/cli/DeviceBenchFixture.h"

namespace lyra {
namespace {

using FastBackupCommandTest = test::DeviceBenchFixture;

TEST_F(FastBackupCommandTest, BackupFastWritesTheSameFilesInAboutHalfTheTime) {
  const std::int64_t start = scheduler.nowMs();
  ASSERT_EQ(run({"backup", "--port", "COM3", "--id", "1,5", "-o", file("window/")}).code,
            cli::kExitDone);
  const std::int64_t windowMs = scheduler.nowMs() - start;
  const std::int64_t fastStart = scheduler.nowMs();
  const auto r = run({"backup", "--port", "COM3", "--id", "1,5", "-o", file("fast/"), "--fast"});
  ASSERT_EQ(r.code, cli::kExitDone) << r.err;
  const std::int64_t fastMs = scheduler.nowMs() - fastStart;
  for (const char* id : {"1.fps", "5.fps"}) {
    const std::string window = test::ReadBytes(folder / "window" / id);
    EXPECT_EQ(ReadTextLines(folder / "window" / id).lines.size(), 20u);
    EXPECT_EQ(test::ReadBytes(folder / "fast" / id), window) << id;
  }
  EXPECT_LT(fastMs * 10, windowMs * 7) << fastMs << " ms against " << windowMs << " ms";
}

}  // namespace
}  // namespace lyra
