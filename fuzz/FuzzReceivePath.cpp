// Whatever a broken cable or a confused device sends: bytes arrive on the simulated line in
// arbitrary chunks, go through the serial link's receive path into ReceiveText, and the reply
// parser and the block decoder take what they recognise. The waiting flags are set at random, as
// if any operation could be waiting.
//
// Input: a byte of flags, then chunks, each a length byte followed by that many bytes.

#include <cstdint>
#include <cstdlib>
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
  p.bus.addPort("COM1");
  if (!p.link.openPort("COM1")) std::abort();
  p.link.startReader();
  p.link.replyParser = [&p] {
    p.parser.parseReplies();
    // No reply is as long as this: the parser throws such text away before it grows further.
    if (p.link.ReceiveText.size() >= 1000) std::abort();
  };
  // The first byte says which owners wait for their reply; each takes it while it waits.
  const std::uint8_t f = data[0];
  int storedTaken = 0;
  auto waiting = [f](int bit) { return [f, bit](lyra::ReceivedReply&) { return ((f >> bit) & 1) != 0; }; };
  p.parser.route(lyra::Reply::IdAck, lyra::Owner::DeviceIdentity, waiting(0));
  p.parser.route(lyra::Reply::SaveAck, lyra::Owner::DevicePresets, waiting(1));
  p.parser.route(lyra::Reply::ActivePreset, lyra::Owner::DevicePresets, waiting(2));
  p.parser.route(lyra::Reply::ActiveBlock, lyra::Owner::PcFiles, waiting(4));
  p.parser.route(lyra::Reply::ActiveBlock, lyra::Owner::GroupInitialData, [f](lyra::ReceivedReply& r) {
    if (((f >> 5) & 1) == 0) return false;
    r.clearAll();
    return true;
  });
  p.parser.route(lyra::Reply::Status, lyra::Owner::Search, waiting(6));
  p.parser.route(lyra::Reply::StoredBlock, lyra::Owner::PcFiles, [&](lyra::ReceivedReply& r) {
    if (((f >> 3) & 1) == 0) return false;
    if (r.index() < 0 || r.index() > 255) std::abort();
    ++storedTaken;
    return true;
  });
  std::size_t at = 1;
  while (at < size) {
    const std::size_t length = data[at++];
    const std::size_t n = std::min(length, size - at);
    p.bus.sendToProgram("COM1", std::vector<std::uint8_t>(data + at, data + at + n));
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
