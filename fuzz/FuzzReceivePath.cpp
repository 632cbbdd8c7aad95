// Whatever a broken cable or a confused device sends: bytes arrive on the simulated line in
// arbitrary chunks, go through the serial link's receive path into ReceiveText, and the reply
// parser and the block decoder take what they recognise. Stand-in owners wait for their replies
// at random, as if any operation could be waiting.
//
// Input: a byte of flags (which owners wait), then chunks, each a length byte followed by that
// many bytes.
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
  std::unique_ptr<lyra::PortSource> ports = bus.makePortSource();
  lyra::PortList portList{*ports};
  lyra::LinkSupervisor supervisor{timers, link, pump, address, portList};
  lyra::PresetImage image;
  lyra::ReplyParser parser{link, image, pump, supervisor};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  Program p;
  p.bus.setByteTiming(false);
  p.bus.addPort("COM1");
  if (!p.link.openPort("COM1")) std::abort();
  p.link.startReader();
  p.link.replyParser = [&p] {
    p.parser.parseReplies();
    // No reply is as long as this: the parser throws such text away before it grows further.
    if (p.link.ReceiveText.size() >= 1000) std::abort();
  };
  // Each owner takes its reply while its flag bit is set, as the window's owners do while their
  // operation waits; what they are offered must be a whole reply.
  const std::uint8_t f = data[0];
  auto waiting = [f](int bit, std::size_t chars) {
    return [f, bit, chars](lyra::ReceivedReply& r) {
      if (r.text().size() < chars) std::abort();
      return ((f >> bit) & 1) != 0;
    };
  };
  using lyra::Owner;
  using lyra::Reply;
  p.parser.route(Reply::IdAck, Owner::DeviceIdentity, waiting(0, 24));
  p.parser.route(Reply::SaveAck, Owner::DevicePresets, waiting(1, 24));
  p.parser.route(Reply::ActivePreset, Owner::DevicePresets, waiting(2, 0));
  p.parser.route(Reply::StoredBlock, Owner::PcFiles, [f](lyra::ReceivedReply& r) {
    if (r.text().size() < 664 || r.index() < 0 || r.index() > 255) std::abort();
    return ((f >> 3) & 1) != 0;
  });
  p.parser.route(Reply::ActiveBlock, Owner::PcFiles, waiting(4, 664));
  p.parser.route(Reply::ActiveBlock, Owner::GroupInitialData, [f](lyra::ReceivedReply& r) {
    if (((f >> 5) & 1) == 0) return false;
    r.clearAll();  // the group upload takes the whole text
    return true;
  });
  p.parser.route(Reply::Status, Owner::Search, waiting(6, 40));
  p.parser.route(Reply::NameTable, Owner::Connection, waiting(7, 0));

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
  return 0;
}
