// lyraphone-cli --trace FILE on simulated devices in virtual time: the trace holds what went over
// the line, and a trace file that cannot be written costs the command nothing else.

#include <gtest/gtest.h>

#include <fstream>

#include "cli/ExitCodes.h"
#include "protocol/FrameSplitter.h"
#include "tests/cli/DeviceBenchFixture.h"

namespace lyra {
namespace {

using TraceCommandTest = test::DeviceBenchFixture;

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(TraceCommandTest, TheTraceHoldsEveryWriteOfTheCommandAndTheRepliesInBetween) {
  const auto r = run({"--trace", file("trace.txt"), "backup", "--port", "COM3", "--id", "1,5",
                      "-o", file("rack/")});
  ASSERT_EQ(r.code, cli::kExitDone) << r.err;
  // Each write of a backup is one whole frame: the trace's sent lines are the bus's writes.
  std::vector<std::string> written, traced;
  for (const auto& w : bus.writes("COM3")) written.push_back(HexBytes(w.bytes));
  int blocks = 0;
  const auto lines = Lines(file("trace.txt"));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0].rfind("# LYRAPHONE traffic trace, started ", 0), 0u) << lines[0];
  EXPECT_EQ(lines.back(), "# trace ends");
  for (const std::string& line : lines) {
    if (line[0] == '#') continue;
    EXPECT_NE(line.find(" ms  "), std::string::npos) << line;
    EXPECT_NE(line.find("  COM3  A5 A5 A5 "), std::string::npos) << line;
    EXPECT_NE(line.find("checksum right"), std::string::npos) << line;
    if (line.find("  sent  ") != std::string::npos) {
      traced.push_back(line.substr(line.find("A5 A5 A5"),
                                   line.find("  |  ") - line.find("A5 A5 A5")));
    }
    blocks += line.find("  received  ") != std::string::npos &&
              line.find("reply (52)  index ") != std::string::npos &&
              line.find("group 29 stored block") != std::string::npos;
  }
  EXPECT_EQ(traced, written);
  EXPECT_EQ(blocks, 40) << "twenty stored blocks from each of two devices";
  // --trace among the command's options does the same.
  EXPECT_EQ(run({"status", "--port", "COM3", "--id", "1", "--trace", file("status.txt")}).code,
            cli::kExitDone);
  EXPECT_GE(Lines(file("status.txt")).size(), 8u);
}

TEST_F(TraceCommandTest, ATraceThatCannotBeWrittenIsSaidAndTheCommandStillRuns) {
  const std::string nowhere = file("no/such/folder/trace.txt");
  const auto r = run({"backup", "--port", "COM3", "--id", "1", "-o", file("one.fps"), "--trace",
                      nowhere});
  EXPECT_EQ(r.code, cli::kExitDone) << r.err;
  EXPECT_NE(r.err.find("lyraphone-cli: --trace: " + nowhere +
                       " cannot be written (No such file or directory); going on without a trace"),
            std::string::npos)
      << r.err;
  EXPECT_TRUE(std::filesystem::exists(file("one.fps")));
}

}  // namespace
}  // namespace lyra
