// SerialLink with the POSIX driver and its real reader thread, against a pseudo-terminal.
// The clock the notifications are posted on is virtual; only the bytes move in real time, and the
// test waits on them by event (a post from the reader thread), never by sleeping.

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <string>

#include "serial/PosixSerialDriver.h"
#include "serial/SerialLink.h"
#include "tests/storage/TempFolder.h"
#include "tests/support/PseudoTerminal.h"
#include "timing/VirtualScheduler.h"

namespace lyra {
namespace {

using namespace std::chrono_literals;
using test::PseudoTerminal;

std::string hexOf(const std::vector<std::uint8_t>& bytes) {
  static const char* d = "0123456789ABCDEF";
  std::string s;
  for (auto b : bytes) s += {d[b >> 4], d[b & 15]};
  return s;
}

class SerialLinkPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.ok());
    link.replyParser = [this] { ++parserCalls; };
  }
  // Lets notifications run until ReceiveText holds `chars` characters or the reader goes quiet.
  void pumpUntil(size_t chars) {
    while (link.ReceiveText.size() < chars && scheduler.waitForPost(2s)) {
      scheduler.advanceMs(SerialLink::kBurstGroupingMs);
    }
  }

  PseudoTerminal pty;
  VirtualScheduler scheduler;
  PosixSerialDriver driver;
  SerialLink link{driver, scheduler};
  int parserCalls = 0;
};

TEST_F(SerialLinkPty, EveryByteValueArrivesInOrderAsUpperCaseHex) {
  ASSERT_TRUE(link.openPort(pty.slavePath()));
  link.startReader();
  std::vector<std::uint8_t> all(256);
  std::iota(all.begin(), all.end(), 0);
  ASSERT_TRUE(pty.send(all));
  pumpUntil(512);
  // Nothing translated: 0x0A stays "0A", 0x0D, XON/XOFF and Ctrl-C pass as data.
  EXPECT_EQ(link.ReceiveText, hexOf(all));
  EXPECT_GE(parserCalls, 1);
}

TEST_F(SerialLinkPty, ANotificationWithNothingQueuedSkipsTheParserAndReleasesTheReader) {
  ASSERT_TRUE(link.openPort(pty.slavePath()));
  link.startReader();
  link.receiveNotification();
  EXPECT_EQ(parserCalls, 0);
  EXPECT_EQ(link.ReceiveText, "");
  ASSERT_TRUE(pty.send({0xA5, 0x00}));
  pumpUntil(4);
  EXPECT_EQ(link.ReceiveText, "A500");
  EXPECT_EQ(parserCalls, 1);
}

TEST_F(SerialLinkPty, AReplyArrivingInPiecesAccumulates) {
  ASSERT_TRUE(link.openPort(pty.slavePath()));
  link.startReader();
  std::vector<std::uint8_t> reply(412);
  for (size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<std::uint8_t>(i * 7);
  for (size_t at = 0; at < reply.size(); at += 100) {
    std::vector<std::uint8_t> piece(reply.begin() + static_cast<long>(at),
                                    reply.begin() + static_cast<long>(std::min(at + 100, reply.size())));
    ASSERT_TRUE(pty.send(piece));
    pumpUntil(2 * std::min(at + 100, reply.size()));
  }
  EXPECT_EQ(link.ReceiveText, hexOf(reply));
  EXPECT_GE(parserCalls, 5);  // one per piece at least: the parser must take partial replies
}

TEST_F(SerialLinkPty, ANotificationReadsAtMost1025BytesAndLeavesTheRestQueued) {
  ASSERT_TRUE(link.openPort(pty.slavePath()));
  std::vector<std::uint8_t> burst(1500, 0x5A);
  ASSERT_TRUE(pty.send(burst));
  link.startReader();  // the whole burst is queued before the first notification
  ASSERT_TRUE(scheduler.waitForPost(2s));
  scheduler.advanceMs(SerialLink::kBurstGroupingMs);
  EXPECT_EQ(link.ReceiveText.size(), 2u * SerialLink::kReceiveBufferBytes);
  pumpUntil(3000);
  EXPECT_EQ(link.ReceiveText.size(), 3000u);
  EXPECT_EQ(parserCalls, 2);
}

TEST_F(SerialLinkPty, WritesSendTheTransmitBufferOnlyWhenThereIsSomethingToSendOnAnOpenPort) {
  link.TransmitBuffer = {0xA5, 0xA5, 0xA5, 0x00, 0xA2, 0x00, 0x2B, 0x00, 0x00, 0x00, 0x89, 0xAA};
  link.write();  // PortOpen is clear
  ASSERT_TRUE(link.openPort(pty.slavePath()));
  EXPECT_TRUE(pty.receive(100).empty());
  link.write();
  EXPECT_EQ(pty.receive(), link.TransmitBuffer);
  EXPECT_EQ(link.TransmitBuffer.size(), 12u);  // the write does not clear it
  link.TransmitBuffer.clear();
  link.write();
  EXPECT_TRUE(pty.receive(100).empty());
}

TEST_F(SerialLinkPty, CloseIsHarmlessWhenClosedAndAnotherPortOpensAfterIt) {
  link.closePort();
  EXPECT_FALSE(link.PortOpen());
  ASSERT_TRUE(link.openPort(pty.slavePath()));
  link.startReader();
  link.closePort();
  EXPECT_FALSE(link.PortOpen());

  PseudoTerminal other;
  ASSERT_TRUE(other.ok());
  ASSERT_TRUE(link.openPort(other.slavePath()));
  link.startReader();
  ASSERT_TRUE(other.send({0x51}));
  pumpUntil(2);
  EXPECT_EQ(link.ReceiveText, "51");
}

TEST_F(SerialLinkPty, ClosingWithANotificationStillPostedDoesNotBlockOrReadLater) {
  ASSERT_TRUE(link.openPort(pty.slavePath()));
  link.startReader();
  ASSERT_TRUE(pty.send({0x01, 0x02}));
  ASSERT_TRUE(scheduler.waitForPost(2s));  // the reader has posted; the window has not run it
  link.closePort();
  scheduler.advanceMs(100);  // the stale notification runs now and must do nothing
  EXPECT_EQ(parserCalls, 0);
  EXPECT_EQ(link.ReceiveText, "");
}

TEST_F(SerialLinkPty, AnotherProgramCannotOpenAPortThatIsInUse) {
  ASSERT_TRUE(link.openPort(pty.slavePath()));
  PosixSerialDriver second;
  EXPECT_EQ(second.open(pty.slavePath()), SerialError::Busy);
  link.closePort();
  EXPECT_EQ(second.open(pty.slavePath()), SerialError::None);  // free again after the close
}

TEST_F(SerialLinkPty, APortThatDoesNotExistLeavesPortOpenClear) {
  EXPECT_FALSE(link.openPort("/dev/lyraphone-no-such-port"));
  EXPECT_EQ(link.lastError(), SerialError::NotFound);
  EXPECT_FALSE(link.PortOpen());
}

TEST_F(SerialLinkPty, APathThatIsNoTerminalIsNotASerialPortAndIsClosedAgain) {
  test::TempFolder folder;
  const auto path = (folder / "not-a-port").string();
  test::WriteBytes(path, "not a terminal");

  EXPECT_FALSE(link.openPort(path));
  EXPECT_EQ(link.lastError(), SerialError::NotASerialPort);
  EXPECT_FALSE(link.PortOpen());

  // The refused handle was closed with its lock: opening again meets the same refusal, not a
  // port held by ourselves.
  PosixSerialDriver second;
  EXPECT_EQ(second.open(path), SerialError::NotASerialPort);
  EXPECT_FALSE(second.isOpen());
  EXPECT_FALSE(link.openPort(path));
  EXPECT_EQ(link.lastError(), SerialError::NotASerialPort);
}

TEST_F(SerialLinkPty, ThePeerClosingThePortNeitherHangsNorCrashes) {
  ASSERT_TRUE(link.openPort(pty.slavePath()));
  link.startReader();
  pty.closeMaster();  // the simulator ended, or the adapter was pulled
  link.TransmitBuffer = {0xA5, 0xA5, 0xA5};
  link.write();
  EXPECT_TRUE(link.PortOpen());  // the watchdog, not the link, reports the broken connection
  EXPECT_TRUE(link.isDead());
  link.write();  // a dead link sends nothing and does not fail twice
  link.closePort();
  EXPECT_FALSE(link.PortOpen());
}

}  // namespace
}  // namespace lyra
