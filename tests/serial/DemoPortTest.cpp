// The Demo entry below the simulator: where the port list puts it, and how the routing driver
// hands its path to the demo's driver and every other path to the system's.

#include <gtest/gtest.h>

#include "serial/DemoPort.h"
#include "serial/PortList.h"
#include "sim/SimBus.h"
#include "timing/VirtualScheduler.h"

namespace lyra {
namespace {

struct FakeSystemPorts : PortSource {
  std::optional<std::vector<PortEntry>> ports = std::vector<PortEntry>{};
  std::optional<std::vector<PortEntry>> readSystemPorts() override { return ports; }
};

std::vector<std::string> namesOf(const PortList& list) {
  std::vector<std::string> names;
  for (const auto& e : list.entries()) names.push_back(e.name);
  return names;
}

// A real port's driver as the link sees it: no watching, a reader thread's wait instead.
class ThreadedDriver final : public SerialDriver {
 public:
  SerialError open(const std::string& path) override {
    opened = path;
    return SerialError::None;
  }
  bool isOpen() const override { return !opened.empty(); }
  int queuedInputBytes() override { return 0; }
  int read(std::uint8_t*, int) override { return 0; }
  SerialError writeAll(std::span<const std::uint8_t> bytes) override {
    written += bytes.size();
    return SerialError::None;
  }
  void purge() override {}
  void close() override { opened.clear(); }
  Wait waitReceived() override { return Wait::Interrupted; }
  void interruptWait() override { ++interrupts; }
  std::string lastErrorText() const override { return {}; }

  std::string opened;
  std::size_t written = 0;
  int interrupts = 0;
};

TEST(DemoPortList, DemoComesAfterTheSortedSystemPortsAndTheLastSystemPortIsSelected) {
  FakeSystemPorts system;
  system.ports = std::vector<PortEntry>{
      {"ttyUSB0", "/dev/ttyUSB0"}, {"COM2", "COM2"}, {"ttyACM0", "/dev/ttyACM0"}};
  PortsWithDemo source(system);
  PortList list(source);
  list.refill();
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"COM2", "ttyACM0", "ttyUSB0", "Demo"}));
  EXPECT_EQ(list.selectedEntry()->name, "ttyUSB0");
  EXPECT_TRUE(list.hasSystemPort());
  // Demo is named, not numbered: it takes the first named number plus its place.
  EXPECT_EQ(list.portNumbers().back(), kFirstNamedPortNumber + 3);
  EXPECT_TRUE(isDemoPort(*list.entryForNumber(kFirstNamedPortNumber + 3)));
  EXPECT_FALSE(list.refreshTick(false)) << "an unchanged system list is no change";
}

TEST(DemoPortList, WithoutSystemPortsDemoIsTheOnlyEntryAndSelected) {
  FakeSystemPorts system;
  PortsWithDemo source(system);
  PortList list(source);
  list.refill();
  EXPECT_EQ(namesOf(list), std::vector<std::string>{"Demo"});
  EXPECT_EQ(list.selectedIndex(), 0);
  EXPECT_FALSE(list.hasSystemPort());

  // A system list that cannot be read leaves the list as it was, Demo included.
  system.ports = std::nullopt;
  EXPECT_FALSE(source.readSystemPorts().has_value());
  EXPECT_FALSE(list.refreshTick(false));
  EXPECT_EQ(namesOf(list), std::vector<std::string>{"Demo"});
}

TEST(DemoRoutingDriver, TheDemoPathGoesToTheDemoDriverAndEveryOtherToTheSystems) {
  VirtualScheduler scheduler;
  SimBus demoBus(scheduler);
  demoBus.addPort(kDemoDevicePath);
  auto demo = demoBus.makeDriver();
  ThreadedDriver system;
  DemoRoutingDriver driver(system, *demo);

  ASSERT_EQ(driver.open("/dev/ttyUSB0"), SerialError::None);
  EXPECT_EQ(system.opened, "/dev/ttyUSB0");
  EXPECT_FALSE(driver.watchReceived([] {})) << "a real port needs the link's reader thread";
  driver.interruptWait();
  EXPECT_EQ(system.interrupts, 1);
  const std::uint8_t bytes[] = {0xA5, 0xA5};
  EXPECT_EQ(driver.writeAll(bytes), SerialError::None);
  EXPECT_EQ(system.written, 2u);
  EXPECT_FALSE(driver.demoOpen());

  // Opening Demo lets go of the system's port first.
  ASSERT_EQ(driver.open(kDemoDevicePath), SerialError::None);
  EXPECT_TRUE(system.opened.empty());
  EXPECT_TRUE(driver.demoOpen());
  int told = 0;
  EXPECT_TRUE(driver.watchReceived([&] { ++told; })) << "the demo runs on the window thread";
  EXPECT_EQ(driver.writeAll(bytes), SerialError::None);
  EXPECT_EQ(demoBus.writes(kDemoDevicePath).size(), 1u);
  EXPECT_EQ(system.written, 2u);
  demoBus.sendToProgram(kDemoDevicePath, {0x52});
  scheduler.advanceMs(5);
  EXPECT_EQ(told, 1);
  EXPECT_EQ(driver.queuedInputBytes(), 1);

  // And back: the demo's line is free again for whoever opens it next.
  driver.close();
  ASSERT_EQ(driver.open("COM3"), SerialError::None);
  EXPECT_EQ(system.opened, "COM3");
  EXPECT_EQ(demoBus.makeDriver()->open(kDemoDevicePath), SerialError::None);
}

}  // namespace
}  // namespace lyra
