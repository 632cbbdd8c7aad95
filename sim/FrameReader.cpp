#include "sim/FrameReader.h"

#include <algorithm>

#include "protocol/CommandFrame.h"

namespace lyra {

namespace {

constexpr std::size_t kPreambleBytes = 3;
constexpr std::size_t kHeaderBytes = 10;  // preamble, address, command, index, group, item, length

// The requests the device knows, by command and group, with their payload length. Checking the
// header against them, rather than trusting any length field, keeps a cut frame from swallowing
// the good request that follows it: the device resynchronises at once instead of waiting for up
// to 320 bytes of someone else's frame.
bool isKnownRequest(std::uint8_t cmd, std::uint8_t groupByte, std::size_t length) {
  constexpr std::size_t kRow = 8, kName = 20, kBlock = 320;
  constexpr std::uint8_t kLastParameterGroup = 0x0A;
  if (cmd == command::kRead) {
    switch (groupByte) {
      case group::kSystemRecord:
        return length == kRow || length == 0;
      case group::kStatusRecord:
      case group::kNameTable:
      case group::kPresetData:
      case group::kStoredBlock:
        return length == 0;
      default:
        return false;
    }
  }
  if (cmd != command::kWrite) return false;
  if (groupByte <= kLastParameterGroup || groupByte == group::kSystemRecord) return length == kRow;
  if (groupByte == group::kUserPresetName) return length == kName;
  if (groupByte == group::kPresetData || groupByte == group::kStoredBlock) return length == kBlock;
  return false;
}

}  // namespace

void FrameReader::byteReceived(std::uint8_t byte, std::int64_t nowUs) {
  if (!buffer_.empty() && nowUs - lastByteUs_ > frameGapUs) discard(buffer_.size());
  lastByteUs_ = nowUs;
  buffer_.push_back(byte);
  scan();
  if (!discarded_.empty() && onDiscarded) onDiscarded(discarded_);
  discarded_.clear();
}

void FrameReader::discard(std::size_t count) {
  discarded_.insert(discarded_.end(), buffer_.begin(), buffer_.begin() + static_cast<long>(count));
  buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(count));
}

void FrameReader::scan() {
  for (;;) {
    // The front must be (the start of) a preamble.
    std::size_t preambleSeen = 0;
    while (preambleSeen < std::min(kPreambleBytes, buffer_.size())) {
      if (buffer_[preambleSeen] != kPreambleByte) break;
      ++preambleSeen;
    }
    if (preambleSeen < std::min(kPreambleBytes, buffer_.size())) {
      discard(1);
      continue;
    }
    if (buffer_.size() < kHeaderBytes) return;
    const std::uint8_t cmd = buffer_[4];
    const std::size_t length = static_cast<std::size_t>(buffer_[8]) << 8 | buffer_[9];
    if (!isKnownRequest(cmd, buffer_[6], length)) {
      discard(1);
      continue;
    }
    const std::size_t total = kEnvelopeBytes + length;
    if (buffer_.size() < total) return;
    const std::uint8_t checksum = xorOf(std::span(buffer_).subspan(3, total - 5));
    if (buffer_[total - 2] != checksum || buffer_[total - 1] != kTrailer) {
      discard(1);
      continue;
    }
    ReceivedFrame f{
        buffer_[3],
        cmd,
        buffer_[5],
        buffer_[6],
        buffer_[7],
        std::vector<std::uint8_t>(buffer_.begin() + kHeaderBytes,
                                  buffer_.begin() + static_cast<long>(total - 2)),
        std::vector<std::uint8_t>(buffer_.begin(), buffer_.begin() + static_cast<long>(total))};
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(total));
    if (onFrame) onFrame(f);
  }
}

}  // namespace lyra
