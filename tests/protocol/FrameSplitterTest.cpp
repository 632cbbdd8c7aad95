// The trace's frame splitter: frames come out whole however the bytes were cut, stray bytes come
// out as such, and a wrong checksum is shown, not hidden.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/CommandFrame.h"
#include "protocol/FrameSplitter.h"

namespace lyra {
namespace {

struct Out {
  SplitPiece::Kind kind;
  std::string hex;
  bool checksumRight;
  bool operator==(const Out&) const = default;
};

class FrameSplitterTest : public ::testing::Test {
 protected:
  FrameSplitterTest() {
    splitter.onPiece = [this](const SplitPiece& p) {
      out.push_back({p.kind, HexBytes(p.bytes), p.checksumRight});
      times.push_back(p.timeUs);
    };
  }
  static Out frame(const Frame& f, bool right = true) {
    return {SplitPiece::Kind::Whole, HexBytes(f), right};
  }
  static Out stray(const std::string& hex) { return {SplitPiece::Kind::Stray, hex, false}; }
  void feed(const Frame& bytes, std::int64_t atUs = 0) { splitter.bytes(bytes, atUs); }

  FrameSplitter splitter;
  std::vector<Out> out;
  std::vector<std::int64_t> times;
};

Frame joined(std::initializer_list<Frame> parts) {
  Frame all;
  for (const Frame& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Frame blockReply() {
  std::vector<std::uint8_t> data(kBlockDataBytes);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  data[5] = kPreambleByte;  // A5 and AA inside a payload are data, not a frame's edges
  data[6] = kTrailer;
  return buildFrame(0x00, command::kReadReply, 3, group::kStoredBlock, 0, data);
}

// The longest frame on the line.
Frame nameTableReply() {
  std::vector<std::uint8_t> names(400, 0x41);
  return buildFrame(0x00, command::kReadReply, 0, group::kNameTable, 0, names);
}

TEST_F(FrameSplitterTest, AFrameCutAtEveryByteComesOutWholeOnceItsLastByteArrives) {
  for (const Frame& f :
       {statusPoll(0x00), saveUserPresetName(0x02, 7, "abc"), blockReply(), nameTableReply()}) {
    for (std::size_t cut = 1; cut < f.size(); ++cut) {
      out.clear();
      feed(Frame(f.begin(), f.begin() + static_cast<long>(cut)), 1000);
      EXPECT_TRUE(out.empty()) << "cut at " << cut;
      feed(Frame(f.begin() + static_cast<long>(cut), f.end()), 2000);
      ASSERT_EQ(out.size(), 1u) << "cut at " << cut;
      EXPECT_EQ(out[0], frame(f)) << "cut at " << cut;
      EXPECT_EQ(times.back(), 2000);
    }
  }
  // One byte a read.
  out.clear();
  const Frame f = blockReply();
  for (std::uint8_t b : f) feed({b});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], frame(f));
  EXPECT_EQ(splitter.pendingBytes(), 0u);
}

TEST_F(FrameSplitterTest, BackToBackFramesInOneReadAreLinesOfTheirOwn) {
  const Frame poll = statusPoll(0x00);
  const Frame ack = buildFrame(0x00, command::kAcknowledge, 0, group::kWriteAcknowledged, 0, {});
  const Frame block = blockReply();
  feed(joined({poll, ack, block, poll}));
  EXPECT_EQ(out, (std::vector<Out>{frame(poll), frame(ack), frame(block), frame(poll)}));
}

TEST_F(FrameSplitterTest, StrayBytesBetweenFramesAreKeptAsTheyCame) {
  const Frame poll = statusPoll(0x00);
  feed(joined({{0x13, 0x37}, poll, {0xA5, 0x00}, poll, {0xA5, 0xA5}}));
  EXPECT_EQ(out, (std::vector<Out>{stray("13 37"), frame(poll), stray("A5 00"), frame(poll)}));
  // The last two bytes may start a frame: held until the line says otherwise.
  EXPECT_EQ(splitter.pendingBytes(), 2u);
  splitter.flush();
  EXPECT_EQ(out.back(), stray("A5 A5"));
  EXPECT_EQ(splitter.pendingBytes(), 0u);
}

TEST_F(FrameSplitterTest, AWrongChecksumIsAFrameMarkedWrong) {
  Frame bad = statusPoll(0x00);
  bad[bad.size() - 2] ^= 0x01;
  const Frame good = statusPoll(0x05);
  feed(joined({bad, good}));
  EXPECT_EQ(out, (std::vector<Out>{frame(bad, false), frame(good)}));
  EXPECT_NE(FrameSummary(bad).find("checksum WRONG (should be 89)"), std::string::npos)
      << FrameSummary(bad);
  EXPECT_NE(FrameSummary(good).find("checksum right"), std::string::npos);
}

TEST_F(FrameSplitterTest, ACutFrameDoesNotSwallowTheFrameBehindIt) {
  // A block reply cut after its header, then a poll's reply: once the line is quiet for longer
  // than any pause inside a frame, the header is stray bytes and the poll is still a frame.
  const Frame block = blockReply();
  const Frame poll = statusPoll(0x00);
  feed(Frame(block.begin(), block.begin() + 14), 0);
  feed(poll, 20'000);
  EXPECT_TRUE(out.empty());
  feed({0x13}, 20'000 + FrameSplitter::kFrameGapUs + 1);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0], stray(HexBytes(Frame(block.begin(), block.begin() + 14))));
  EXPECT_EQ(times[0], 20'000);  // stamped before the gap, not with the late byte
  EXPECT_EQ(out[1], frame(poll));
  // A trailer where the length puts it is needed: without it the candidate gives up one byte.
  out.clear();
  Frame noTrailer = statusPoll(0x00);
  noTrailer.back() = 0x00;
  feed(joined({noTrailer, poll}));
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0], stray("13 " + HexBytes(noTrailer)));
  EXPECT_EQ(out[1], frame(poll));
}

TEST_F(FrameSplitterTest, AnUploadWrittenInTwoPiecesIsOneFrame) {
  std::vector<std::uint8_t> data(kBlockDataBytes, 0x11);
  const Frame upload = buildFrame(0x00, command::kWrite, 4, group::kStoredBlock, 0, data);
  feed(Frame(upload.begin(), upload.begin() + kUploadHeaderBytes), 0);
  feed(Frame(upload.begin() + kUploadHeaderBytes, upload.end()), 100'000);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0], frame(upload));
  EXPECT_EQ(FrameSummary(upload),
            "address 00  write (A1)  index 04  group 29 stored block  item 00  length 320  "
            "checksum right");
}

}  // namespace
}  // namespace lyra
