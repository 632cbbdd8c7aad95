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

#include "reply/ReplyParser.h"
#include "sessions/ReplyWiring.h"
#include "sim/SimBus.h"
#include "timing/VirtualScheduler.h"

namespace {

// The flag byte of the input being run: which stand-in owners wait.
std::uint8_t waitingOwners = 0;

struct Program {
  Program();
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
  lyra::ReplyParser parser = lyra::WiredReplyParser(link, image, pump, supervisor);
};

// Each owner takes its reply while its flag bit is set, as the window's owners do while their
// operation waits; what they are offered must be a whole reply.
auto waiting(int bit, std::size_t chars) {
  return [bit, chars](lyra::ReceivedReply& r) {
    if (r.text().size() < chars) std::abort();
    return ((waitingOwners >> bit) & 1) != 0;
  };
}

Program::Program() {
  bus.setByteTiming(false);
  bus.addPort("COM1");
  if (!link.openPort("COM1")) std::abort();
  link.startReader();
  link.replyParser = [this] {
    parser.parseReplies();
    // No reply is as long as this: the parser throws such text away before it grows further.
    if (link.ReceiveText.size() >= 1000) std::abort();
  };
  using lyra::Owner;
  using lyra::Reply;
  parser.route(Reply::IdAck, Owner::DeviceIdentity, waiting(0, 24));
  parser.route(Reply::SaveAck, Owner::DevicePresets, waiting(1, 24));
  parser.route(Reply::ActivePreset, Owner::DevicePresets, waiting(2, 0));
  parser.route(Reply::StoredBlock, Owner::PcFiles, [](lyra::ReceivedReply& r) {
    if (r.text().size() < 664 || r.index() < 0 || r.index() > 255) std::abort();
    return ((waitingOwners >> 3) & 1) != 0;
  });
  parser.route(Reply::ActiveBlock, Owner::PcFiles, waiting(4, 664));
  parser.route(Reply::ActiveBlock, Owner::GroupInitialData, [](lyra::ReceivedReply& r) {
    if (((waitingOwners >> 5) & 1) == 0) return false;
    r.clearAll();  // the group upload takes the whole text
    return true;
  });
  parser.route(Reply::Status, Owner::Search, waiting(6, 40));
  parser.route(Reply::NameTable, Owner::Connection, waiting(7, 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // One program serves every input (building it is most of an input's cost); each input starts
  // from the same state: the line quiet, nothing received, an empty image, no slot queued.
  static Program p;
  p.link.ReceiveText.clear();
  p.image = {};
  p.pump.clearAllSlots();
  waitingOwners = data[0];

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
