#include "protocol/FrameSplitter.h"

#include <algorithm>
#include <cstdio>

#include "protocol/CommandFrame.h"

namespace lyra {

namespace {

constexpr std::size_t kPreambleBytes = 3;
constexpr std::size_t kHeaderBytes = 10;  // preamble, address, command, index, group, item, length
// The longest payload on the line: the NameTable's twenty names of 20 bytes. A longer length is
// not a frame's, and waiting for it would hold up every frame behind it.
constexpr std::size_t kLongestPayloadBytes = 400;

std::size_t LengthOf(std::span<const std::uint8_t> frame) {
  return static_cast<std::size_t>(frame[8]) << 8 | frame[9];
}

bool ChecksumRight(std::span<const std::uint8_t> frame) {
  return frame[frame.size() - 2] == xorOf(frame.subspan(3, frame.size() - 5));
}

std::string Hex2(std::uint8_t b) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", b);
  return text;
}

const char* CommandName(std::uint8_t c) {
  switch (c) {
    case command::kWrite: return "write";
    case command::kRead: return "read";
    case command::kAcknowledge: return "acknowledge";
    case command::kReadReply: return "reply";
    default: return "unknown";
  }
}

// The groups a person reading a trace looks for; parameter groups are told by their number.
const char* GroupName(std::uint8_t g) {
  switch (g) {
    case group::kSystemRecord: return " system record";
    case group::kNameTable: return " names";
    case group::kUserPresetName: return " preset name";
    case group::kPresetData: return " preset";
    case group::kStoredBlock: return " stored block";
    case group::kStatusRecord: return " status";
    default: return "";
  }
}

}  // namespace

void FrameSplitter::bytes(std::span<const std::uint8_t> piece, std::int64_t nowUs) {
  if (!buffer_.empty() && nowUs - lastUs_ > kFrameGapUs) flush();
  lastUs_ = nowUs;
  buffer_.insert(buffer_.end(), piece.begin(), piece.end());
  scan(false);
}

void FrameSplitter::flush() {
  scan(true);
  emitStray();
}

void FrameSplitter::stray(std::size_t count) {
  if (stray_.empty()) strayUs_ = lastUs_;
  stray_.insert(stray_.end(), buffer_.begin(), buffer_.begin() + static_cast<long>(count));
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(count));
}

void FrameSplitter::emitStray() {
  if (stray_.empty()) return;
  SplitPiece piece{SplitPiece::Kind::Stray, std::move(stray_), false, strayUs_};
  stray_.clear();
  if (onPiece) onPiece(piece);
}

void FrameSplitter::scan(bool final) {
  while (!buffer_.empty()) {
    // The front must be (the start of) a preamble.
    const std::size_t seen = std::min(kPreambleBytes, buffer_.size());
    if (!std::all_of(buffer_.begin(), buffer_.begin() + static_cast<long>(seen),
                     [](std::uint8_t b) { return b == kPreambleByte; })) {
      stray(1);
      continue;
    }
    if (buffer_.size() < kHeaderBytes) {
      if (!final) return;
      stray(1);
      continue;
    }
    const std::size_t length = LengthOf(buffer_);
    if (length > kLongestPayloadBytes) {
      stray(1);
      continue;
    }
    const std::size_t total = kEnvelopeBytes + length;
    if (buffer_.size() < total) {
      if (!final) return;
      stray(1);
      continue;
    }
    if (buffer_[total - 1] != kTrailer) {
      stray(1);
      continue;
    }
    emitStray();
    SplitPiece frame{SplitPiece::Kind::Whole,
                     std::vector<std::uint8_t>(buffer_.begin(), buffer_.begin() + static_cast<long>(total)),
                     false, lastUs_};
    frame.checksumRight = ChecksumRight(frame.bytes);
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(total));
    if (onPiece) onPiece(frame);
  }
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 3);
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    if (k) text += ' ';
    text += kDigits[bytes[k] >> 4];
    text += kDigits[bytes[k] & 0x0F];
  }
  return text;
}

std::string FrameSummary(std::span<const std::uint8_t> frame) {
  if (frame.size() < kEnvelopeBytes) return "not a frame";
  std::string text = "address " + Hex2(frame[3]);
  text += "  " + std::string(CommandName(frame[4])) + " (" + Hex2(frame[4]) + ")";
  text += "  index " + Hex2(frame[5]);
  text += "  group " + Hex2(frame[6]) + GroupName(frame[6]);
  text += "  item " + Hex2(frame[7]);
  text += "  length " + std::to_string(LengthOf(frame));
  text += ChecksumRight(frame) ? "  checksum right"
                               : "  checksum WRONG (should be " +
                                     Hex2(xorOf(frame.subspan(3, frame.size() - 5))) + ")";
  return text;
}

}  // namespace lyra
