// Bytes a program could send to a device: the simulated device must take only well-formed
// requests for it, answer each once, and never crash or run away.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sim/DeviceModel.h"
#include "sim/SimBus.h"
#include "timing/VirtualScheduler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  lyra::VirtualScheduler scheduler;
  lyra::SimBus bus{scheduler};
  bus.addPort("COM1");
  lyra::DeviceModel first(bus, "COM1", 1, 7);
  lyra::DeviceModel second(bus, "COM1", 5, 8);
  auto driver = bus.makeDriver();
  if (driver->open("COM1") != lyra::SerialError::None) std::abort();
  // In pieces, as a program writes a header and then the rest of an upload.
  std::size_t at = 0;
  while (at < size) {
    const std::size_t n = std::min<std::size_t>(1 + data[at] % 64, size - at);
    if (driver->writeAll(std::span(data + at, n)) != lyra::SerialError::None) std::abort();
    at += n;
    scheduler.advanceMs(data[at - 1] % 2 == 0 ? 1 : 60);
  }
  // Replies queue behind each other on the line; at 9600 baud even a flood of name-table reads
  // is over within minutes, and then nothing may be left scheduled.
  if (!scheduler.advanceUntil([&] { return scheduler.pendingCount() == 0; }, 600'000))
    std::abort();
  // A device answers at most once per frame it took.
  if (first.repliesSent() > first.framesTaken() || second.repliesSent() > second.framesTaken())
    std::abort();
  return 0;
}
