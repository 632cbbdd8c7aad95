// lyraphone-sim as a user runs it, driven over its pseudo-terminal as the program drives a port:
// the POSIX driver, the real reader thread, SerialLink. The notifications are posted on a virtual
// clock; the test waits for bytes by event (a post from the reader thread), never by sleeping.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "protocol/CommandFrame.h"
#include "serial/PosixSerialDriver.h"
#include "serial/SerialLink.h"
#include "tests/sim/SimProcess.h"
#include "timing/VirtualScheduler.h"

namespace lyra {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class LyraphoneSim : public ::testing::Test {
 protected:
  void startSim(const std::vector<std::string>& args = {}) {
    ASSERT_TRUE(sim.start(args));
    portPath = sim.readLine();
    ASSERT_EQ(portPath, sim.portFolder() + "/ttySIM0");
    ASSERT_TRUE(fs::is_symlink(fs::symlink_status(portPath)));
  }
  void connect() {
    ASSERT_TRUE(link.openPort(portPath)) << link.lastErrorText();
    link.startReader();
  }
  void request(const Frame& frame) {
    link.TransmitBuffer = frame;
    link.write();
  }
  // Lets notifications run until ReceiveText holds `chars` characters or the line goes quiet.
  void pumpUntil(std::size_t chars) {
    while (link.ReceiveText.size() < chars && scheduler.waitForPost(3s))
      scheduler.advanceMs(SerialLink::kBurstGroupingMs);
  }

  test::SimProcess sim;
  std::string portPath;
  VirtualScheduler scheduler;
  PosixSerialDriver driver;
  SerialLink link{driver, scheduler};
};

TEST_F(LyraphoneSim, PublishesItsPortAnswersTheWorkedStatusPollAndRemovesItsLinkOnSigterm) {
  startSim();
  connect();
  request({0xA5, 0xA5, 0xA5, 0x00, 0xA2, 0x00, 0x2B, 0x00, 0x00, 0x00, 0x89, 0xAA});
  pumpUntil(40);
  ASSERT_EQ(link.ReceiveText.size(), 40u);
  EXPECT_EQ(link.ReceiveText.substr(0, 20), "A5A5A50052002B000008");
  EXPECT_EQ(link.ReceiveText.substr(38), "AA");
  link.closePort();

  EXPECT_EQ(sim.stop(SIGTERM), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(portPath)));
}

TEST_F(LyraphoneSim, IgnoresGarbageAndAnswersEachRequestOnce) {
  startSim();
  connect();
  // Noise, a cut frame and a frame with a bad checksum, then a poll for DeviceId 5.
  Frame line = {0x00, 0x13, 0xA5, 0xA5, 0x37, 0xAA, 0xA5, 0xA5, 0xA5, 0x00, 0xA2};
  Frame badSum = statusPoll(0x00);
  badSum[10] ^= 0xFF;
  line.insert(line.end(), badSum.begin(), badSum.end());
  const Frame poll5 = statusPoll(0x04);
  line.insert(line.end(), poll5.begin(), poll5.end());
  request(line);
  pumpUntil(40);
  ASSERT_EQ(link.ReceiveText.size(), 40u);
  EXPECT_EQ(link.ReceiveText.substr(0, 20), "A5A5A50452002B000008");
  // The next request's reply follows directly: nothing else came in between.
  request(readNameTable(0x00));
  pumpUntil(40 + 824);
  ASSERT_EQ(link.ReceiveText.size(), 40u + 824u);
  EXPECT_EQ(link.ReceiveText.substr(40, 20), "A5A5A500520026000190");
  EXPECT_EQ(sim.stop(SIGINT), 0);
}

TEST_F(LyraphoneSim, ThePortCanBeOpenedAgainAfterTheProgramDisconnects) {
  startSim();
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    link.ReceiveText.clear();
    // Half the rounds reconnect at once, before the simulator can have renewed the port: only
    // root can, since for anyone else the exclusive open still holds on the old terminal. The
    // others wait until the link points at a fresh terminal, as a user's next click would.
    if (round > 0 && (round % 2 == 1 || ::geteuid() != 0)) {
      const auto before = fs::read_symlink(portPath);
      for (int i = 0; i < 50 && fs::read_symlink(portPath) == before; ++i)
        scheduler.waitForPost(20ms);
    }
    connect();
    request(readActivePreset(0x00));
    pumpUntil(664);
    EXPECT_EQ(link.ReceiveText.size(), 664u);
    link.closePort();
  }
  EXPECT_EQ(sim.stop(), 0);
}

TEST_F(LyraphoneSim, TheTrafficLogHoldsEveryFrameBothWaysInHex) {
  const std::string logPath = sim.runtimeDir() + "/traffic.log";
  startSim({"--devices", "3", "--log", logPath});
  connect();
  request(statusPoll(0x02));
  pumpUntil(40);
  link.closePort();
  ASSERT_EQ(sim.stop(), 0);
  std::ifstream in(logPath);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("program    A5 A5 A5 02 A2 00 2B 00 00 00 8B AA"), std::string::npos)
      << text.str();
  EXPECT_NE(text.str().find("device 3   A5 A5 A5 02 52 00 2B 00 00 08"), std::string::npos)
      << text.str();
}

TEST_F(LyraphoneSim, AVanishingPortTakesItsLinkAndComesBackUnderTheSameName) {
  startSim({"--vanish-after", "0.3", "--return-after", "0.3"});
  connect();
  // The simulator's own clock runs in real time: wait (bounded) for the link to go.
  for (int i = 0; i < 50 && fs::exists(fs::symlink_status(portPath)); ++i)
    scheduler.waitForPost(100ms);
  EXPECT_FALSE(fs::exists(fs::symlink_status(portPath)));
  link.closePort();
  // ... and back: the same name answers again.
  for (int i = 0; i < 50 && !fs::exists(portPath); ++i) scheduler.waitForPost(100ms);
  ASSERT_TRUE(fs::exists(portPath));
  link.ReceiveText.clear();
  connect();
  request(statusPoll(0x00));
  pumpUntil(40);
  EXPECT_EQ(link.ReceiveText.size(), 40u);
  EXPECT_EQ(sim.stop(), 0);
}

TEST(LyraphoneSimCommandLine, HelpNamesEveryOptionAndMistakesAreRefused) {
  test::SimProcess help;
  ASSERT_TRUE(help.start({"--help"}));
  const std::string text = help.readAll();
  EXPECT_EQ(help.wait(), 0);
  for (const char* option :
       {"--devices", "--port", "--seed", "--silent", "--late", "--drop", "--corrupt", "--no-names",
        "--vanish-after", "--return-after", "--log", "--help"})
    EXPECT_NE(text.find(option), std::string::npos) << option;

  test::SimProcess wrong;
  ASSERT_TRUE(wrong.start({"--devices", "0"}));
  EXPECT_EQ(wrong.wait(), 2);
  EXPECT_TRUE(fs::is_empty(wrong.runtimeDir()));
}

}  // namespace
}  // namespace lyra
