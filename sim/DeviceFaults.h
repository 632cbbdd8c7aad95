#pragma once
// What can go wrong with one device on the line, switchable while it runs. The program's tests
// and a support engineer reproducing a customer's trouble both use these.

#include <cstddef>
#include <cstdint>

namespace lyra {

struct DeviceFaults {
  // The device still hears and applies what it is sent but answers nothing, as one whose
  // transmitter died or whose RS-485 driver is not enabled.
  bool silent = false;
  // Every reply leaves this much later than the normal turnaround.
  std::int64_t lateByUs = 0;
  // Each byte of a reply is lost on the line with this probability (0..1); the bytes after it
  // keep their time, as when the receiver misses a byte with a framing error.
  double dropRate = 0.0;
  // Each byte of a reply arrives with one bit flipped with this probability (0..1).
  double corruptRate = 0.0;
  // The NameTable read goes unanswered (the program's handshake then times out); everything else
  // is answered.
  bool ignoreNameTableRead = false;
  // Every reply arrives twice, back to back, as through an adapter that echoes or from a second
  // device set to the same ID.
  bool answersTwice = false;
  // Every preset block it sends (a 332-byte reply) arrives with the lowest bit of this byte
  // flipped, as through a line that damages one byte of a long reply; the header still reads
  // right, so only the checksum tells. 0: none.
  std::size_t damagedBlockByte = 0;
  // A reply is held this long, and replies that become ready meanwhile leave right behind it, as
  // through an adapter or a network port that forwards what it gathered in one packet: a status
  // reply and the acknowledgement of a write sent just after the poll arrive in one read. 0: none.
  std::int64_t gatherRepliesUs = 0;

  bool any() const {
    return silent || lateByUs > 0 || dropRate > 0 || corruptRate > 0 || ignoreNameTableRead ||
           answersTwice || damagedBlockByte > 0 || gatherRepliesUs > 0;
  }
};

}  // namespace lyra
