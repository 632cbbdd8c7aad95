#pragma once
// Cuts one direction of the line's traffic into frames and the stray bytes between them, for the
// traffic trace. Bytes come in whatever pieces a write or a read moved; a frame cut across two
// reads (or an upload's header and its data, written 50..100 ms apart) comes out whole.
//
// A frame is recognised by its envelope alone (CommandFrame.h): the preamble, a length of at most
// the NameTable's 400 bytes and the trailer where the length puts it. Its checksum is checked and
// reported, not required: the trace is there to show a wrong one. What cannot start a frame is
// kept, byte for byte, as stray bytes.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace lyra {

struct SplitPiece {
  enum class Kind { Whole, Stray };  // a frame, or bytes that make none
  Kind kind;
  std::vector<std::uint8_t> bytes;
  bool checksumRight = false;  // a frame's checksum matches its bytes
  std::int64_t timeUs = 0;     // when the last piece it needed moved
};

class FrameSplitter {
 public:
  // A frame whose next bytes are later than this was cut short: the longest pause inside one
  // frame is an upload's 100 ms between header and data.
  static constexpr std::int64_t kFrameGapUs = 500'000;

  std::function<void(const SplitPiece&)> onPiece;

  void bytes(std::span<const std::uint8_t> piece, std::int64_t nowUs);
  // Hands out everything held: whole frames as frames, a frame still waiting for its rest as
  // stray bytes (and whatever frames stood behind its start).
  void flush();
  std::size_t pendingBytes() const { return buffer_.size(); }

 private:
  // final: nothing more will come, so a frame that is not complete never will be.
  void scan(bool final);
  void stray(std::size_t count);
  void emitStray();

  std::vector<std::uint8_t> buffer_;
  std::vector<std::uint8_t> stray_;
  std::int64_t lastUs_ = 0;   // when the last piece moved
  std::int64_t strayUs_ = 0;  // when the stray bytes held were found to be stray
};

// "address 00  read (A2)  index 00  group 2B status  item 00  length 0  checksum right"
std::string FrameSummary(std::span<const std::uint8_t> frame);
// "A5 A5 A5 00"
std::string HexBytes(std::span<const std::uint8_t> bytes);

}  // namespace lyra
