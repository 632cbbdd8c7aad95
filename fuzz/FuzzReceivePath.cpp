// Whatever a broken cable or a confused device sends: bytes arrive on the simulated line in
// arbitrary chunks, go through the serial link's receive path into ReceiveText, and the reply
// parser and the block decoder take what they recognise. The waiting flags are set at random, as
// if any operation could be waiting.
//
// Input: a byte of flags, then chunks, each a length byte followed by that many bytes.
//
// The bus runs without byte timing: each chunk reaches the driver whole, and the chunk gaps
// decide which bytes one notification reads (a chunk followed by a short gap is read together
// with the next one), so every split of the text between two parser calls can still be reached.
// When each byte arrives does not matter to the parser; per-byte delivery made each input cost a
// thousand scheduled calls.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "preset/ReplyParser.h"
#include "sim/SimBus.h"
#include "timing/VirtualScheduler.h"

namespace {

struct Program {
  lyra::VirtualScheduler scheduler;
  lyra::TimerTable timers{scheduler};
  lyra::SimBus bus{scheduler};
  std::unique_ptr<lyra::SerialDriver> driver = bus.makeDriver();
  lyra::SerialLink link{*driver, scheduler};
  lyra::BusAddressing address;
  lyra::SendPump pump{timers, link, address};
  lyra::PresetImage image;
  lyra::WaitingFlags flags;
  lyra::PresetTransfer transfer;
  lyra::ReplyParser parser{link, image, timers, pump, address, flags, transfer};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  Program p;
  p.bus.setByteTiming(false);
  p.bus.addPort("COM1");
  if (!p.link.openPort("COM1")) std::abort();
  p.link.startReader();
  // The follow-ups the parser starts belong to the window, whose handlers stop each one on its
  // first tick; with no handler here they would tick every 10 ms to the end of the input.
  for (lyra::NamedTimer* t : {&p.timers.Timer2, &p.timers.Timer11, &p.timers.trunon1,
                              &p.timers.FSaveDialog3, &p.timers.FSaveDialog4})
    t->onTick = [t] { t->stop(); };
  p.link.replyParser = [&p] {
    p.parser.parseReplies();
    // No reply is as long as this: the parser throws such text away before it grows further.
    if (p.link.ReceiveText.size() >= 1000) std::abort();
  };
  const std::uint8_t f = data[0];
  p.flags = {f & 1, (f >> 1) & 1, (f >> 2) & 1, (f >> 3) & 1, (f >> 4) & 1, (f >> 5) & 1,
             (f >> 6) & 1};
  // Twenty stored blocks do not fit in one input: with the top flag bit, save all presets has
  // already collected nineteen, and the next stored block is the last.
  if (f & 0x80) p.transfer.collectedBlocks = 19;
  std::size_t at = 1;
  std::vector<std::uint8_t> chunk;
  while (at < size) {
    const std::size_t length = data[at++];
    const std::size_t n = std::min(length, size - at);
    chunk.assign(data + at, data + at + n);
    p.bus.sendToProgram("COM1", chunk);
    at += n;
    // Sometimes the next chunk follows at once, sometimes after a pause of a few polls.
    p.scheduler.advanceMs(n % 3 == 0 ? 2 : 120);
  }
  p.scheduler.advanceMs(600);
  // Whatever came in, every band index stays inside its scale.
  for (const lyra::EqBand& b : p.image.bands)
    if (b.frequency > 243 || b.q > 179 || b.peqGain > 180 || b.shelfGain > 180 || b.type > 2)
      std::abort();
  if (p.transfer.collectedBlocks > 20) std::abort();
  // A collected block is one whole line of the file to be saved.
  for (const std::string& line : p.transfer.presetList)
    if (line.size() != 664) std::abort();
  return 0;
}
