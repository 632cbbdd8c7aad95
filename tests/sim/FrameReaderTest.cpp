// The device's receiver on a noisy line: only whole, checked requests get through, once each.

#include <gtest/gtest.h>

#include "protocol/CommandFrame.h"
#include "sim/FrameReader.h"
#include "tests/sim/DeviceBench.h"

namespace lyra {
namespace {

using test::hexOf;

class FrameReaderOnALine : public ::testing::Test {
 protected:
  void SetUp() override {
    reader.onFrame = [this](const ReceivedFrame& f) { frames.push_back(hexOf(f.bytes)); };
    reader.onDiscarded = [this](const std::vector<std::uint8_t>& b) { discarded += b.size(); };
  }
  // Bytes arrive one byte time apart from the given start.
  void feed(const std::vector<std::uint8_t>& bytes, std::int64_t startUs = -1) {
    if (startUs >= 0) nowUs = startUs;
    for (auto b : bytes) reader.byteReceived(b, nowUs += 1042);
  }
  FrameReader reader;
  std::vector<std::string> frames;
  std::size_t discarded = 0;
  std::int64_t nowUs = 0;
};

TEST_F(FrameReaderOnALine, AFrameAfterGarbageAndStrayPreambleBytesIsTakenOnce) {
  std::vector<std::uint8_t> line = {0x00, 0xA5, 0x13, 0xA5, 0xA5, 0xFF, 0xAA, 0xA5};
  const Frame poll = statusPoll(0x00);
  line.insert(line.end(), poll.begin(), poll.end());
  feed(line);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], hexOf(poll));
  EXPECT_EQ(reader.pendingBytes(), 0u);
  EXPECT_EQ(discarded, 8u);
}

TEST_F(FrameReaderOnALine, BadChecksumWrongTrailerAndRepliesAreNotRequests) {
  Frame badSum = statusPoll(0x00);
  badSum[10] ^= 0x01;
  Frame badTrailer = statusPoll(0x00);
  badTrailer[11] = 0xAB;
  Frame reply = buildFrame(0x00, command::kReadReply, 0, group::kStatusRecord, 0, {});
  Frame tooLong = statusPoll(0x00);
  tooLong[8] = 0x01;
  tooLong[9] = 0x41;  // 321 bytes: longer than any request
  for (const Frame& f : {badSum, badTrailer, reply, tooLong}) feed(f);
  EXPECT_TRUE(frames.empty());
  // The line recovers at once.
  feed(readNameTable(0x00));
  EXPECT_EQ(frames.size(), 1u);
}

TEST_F(FrameReaderOnALine, AFrameHiddenInsideABrokenOneIsFound) {
  // A header that promises 8 payload bytes, cut short; the next request fills its place.
  std::vector<std::uint8_t> line = {0xA5, 0xA5, 0xA5, 0x00, 0xA1, 0x00, 0x05, 0x00, 0x00, 0x08};
  const Frame poll = statusPoll(0x00);
  line.insert(line.end(), poll.begin(), poll.end());
  feed(line);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], hexOf(poll));
}

TEST_F(FrameReaderOnALine, ACutFrameDoesNotSwallowTheRequestAfterIt) {
  // The program was closed after five bytes of a poll; the next run polls again. Read naively,
  // the second preamble would be taken for the first frame's length (0x00A2, 162 bytes).
  std::vector<std::uint8_t> line = {0xA5, 0xA5, 0xA5, 0x00, 0xA2};
  const Frame poll = statusPoll(0x00);
  line.insert(line.end(), poll.begin(), poll.end());
  feed(line);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], hexOf(poll));
}

TEST_F(FrameReaderOnALine, AnUploadInTwoPiecesIsOneFrameButAStalledFrameIsDropped) {
  std::vector<std::uint8_t> payload(320, 0xA5);  // preamble bytes inside the data are data
  Frame upload = buildFrame(0x00, command::kWrite, 0, group::kPresetData, 0, payload);
  feed({upload.begin(), upload.begin() + 10});
  feed({upload.begin() + 10, upload.end()}, nowUs + 100'000);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0], hexOf(upload));

  // The same header, then silence longer than the device waits: the rest starts no frame.
  feed({upload.begin(), upload.begin() + 10});
  feed({upload.begin() + 10, upload.end()}, nowUs + FrameReader::kFrameGapUs + 1);
  EXPECT_EQ(frames.size(), 1u);
  feed(statusPoll(0x00));
  EXPECT_EQ(frames.size(), 2u);

  // A reader given a longer gap (lyraphone-sim --frame-gap-ms) keeps the same stalled upload.
  reader.frameGapUs = 5'000'000;
  feed({upload.begin(), upload.begin() + 10});
  feed({upload.begin() + 10, upload.end()}, nowUs + FrameReader::kFrameGapUs + 1);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[2], hexOf(upload));
}

}  // namespace
}  // namespace lyra
