#pragma once
// The device's receiver: turns the bytes heard on the line into whole, checked request frames.
//
// The line carries other devices' traffic, noise and half frames from a program that was closed
// mid-write, so the reader trusts nothing: a frame counts only with its preamble, a request the
// device knows (command, group and the payload length that goes with them), a matching checksum
// and its trailer. When a candidate
// fails, the reader gives up one byte and looks for the next preamble, so a good frame that
// follows garbage (or hides inside a broken frame) is still found. Each frame is handed out once.
//
// A frame's pieces may come apart in time (an upload's header, then its data 50..100 ms later),
// but a frame whose next byte is more than frameGapUs late is abandoned: the device would
// otherwise wait for ever on a frame that was cut short.

#include <cstdint>
#include <functional>
#include <vector>

namespace lyra {

struct ReceivedFrame {
  std::uint8_t busAddress;
  std::uint8_t command;
  std::uint8_t index;
  std::uint8_t group;
  std::uint8_t item;
  std::vector<std::uint8_t> payload;
  std::vector<std::uint8_t> bytes;  // the whole frame as it came
};

class FrameReader {
 public:
  // Longer than the longest pause inside an upload (100 ms between header and data).
  static constexpr std::int64_t kFrameGapUs = 500'000;
  // The gap this reader allows (lyraphone-sim --frame-gap-ms).
  std::int64_t frameGapUs = kFrameGapUs;

  // Called for every frame that passed all checks.
  std::function<void(const ReceivedFrame&)> onFrame;
  // Called with bytes the reader gave up on (for the traffic log).
  std::function<void(const std::vector<std::uint8_t>&)> onDiscarded;

  void byteReceived(std::uint8_t byte, std::int64_t nowUs);
  // Bytes held for a frame not yet complete.
  std::size_t pendingBytes() const { return buffer_.size(); }

 private:
  // Hands out every complete frame at the front of the buffer and drops what cannot start one.
  void scan();
  void discard(std::size_t count);

  std::vector<std::uint8_t> buffer_;
  std::vector<std::uint8_t> discarded_;
  std::int64_t lastByteUs_ = 0;
};

}  // namespace lyra
