#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "serial/LinuxPortSource.h"
#include "serial/PortList.h"
#include "timing/TimerTable.h"
#include "timing/VirtualScheduler.h"

namespace fs = std::filesystem;

namespace lyra {
namespace {

struct FakePortSource : PortSource {
  std::optional<std::vector<PortEntry>> ports = std::vector<PortEntry>{};
  std::optional<std::vector<PortEntry>> readSystemPorts() override { return ports; }
  void set(std::initializer_list<const char*> names) {
    ports = std::vector<PortEntry>{};
    for (const char* n : names) ports->push_back({n, n});
  }
};

std::vector<std::string> namesOf(const PortList& list) {
  std::vector<std::string> names;
  for (const auto& e : list.entries()) names.push_back(e.name);
  return names;
}

TEST(PortList, SortsAsCaseInsensitiveTextAndSelectsTheLastEntry) {
  FakePortSource source;
  source.set({"COM2", "COM10", "com1"});
  PortList list(source);
  list.refill();
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"com1", "COM10", "COM2"}));
  EXPECT_EQ(list.selectedEntry()->name, "COM2");
  EXPECT_EQ(list.portNumbers(), (std::vector<int>{1, 10, 2}));
  EXPECT_EQ(list.selectedPortNumber(), 2);
}

TEST(PortList, NamesWithoutACOMNumberGetTheirPositionSoEveryEntryHasItsOwnNumber) {
  FakePortSource source;
  source.set({"ttyUSB0", "ttySIM0", "ttyACM0", "COM7"});
  PortList list(source);
  list.refill();
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"COM7", "ttyACM0", "ttySIM0", "ttyUSB0"}));
  EXPECT_EQ(list.portNumbers(),
            (std::vector<int>{7, kFirstNamedPortNumber + 1, kFirstNamedPortNumber + 2,
                              kFirstNamedPortNumber + 3}));
  EXPECT_EQ(list.entryForNumber(kFirstNamedPortNumber + 2)->name, "ttySIM0");
  EXPECT_EQ(list.entryForNumber(99), nullptr);
  EXPECT_EQ(comPortNumber("COM12"), 12);
  EXPECT_EQ(comPortNumber("COM"), std::nullopt);
  EXPECT_EQ(comPortNumber("COMx1"), std::nullopt);
  EXPECT_EQ(comPortNumber("com4"), 4);
  EXPECT_EQ(comPortNumber("ABC1"), std::nullopt);
}

TEST(PortList, RefreshFollowsTheSystemOnlyWhileNoPortIsOpen) {
  FakePortSource source;
  source.set({"COM1"});
  PortList list(source);
  int refills = 0;
  list.onRefilled = [&] { ++refills; };
  list.refill();
  list.select(0);
  EXPECT_FALSE(list.refreshTick(false));  // unchanged: the user's selection stays
  source.set({"COM1", "COM4"});
  EXPECT_FALSE(list.refreshTick(true));  // frozen while connected
  EXPECT_EQ(namesOf(list), std::vector<std::string>{"COM1"});
  EXPECT_TRUE(list.refreshTick(false));  // an adapter plugged in becomes the selection
  EXPECT_EQ(list.selectedEntry()->name, "COM4");
  source.ports.reset();  // the system's list cannot be read: keep what we have
  EXPECT_FALSE(list.refreshTick(false));
  EXPECT_EQ(list.entries().size(), 2u);
  EXPECT_EQ(refills, 2);
}

TEST(PortList, NoPortsAtAllLeavesAnEmptyListWithNothingSelected) {
  FakePortSource source;
  PortList list(source);
  list.refill();
  EXPECT_TRUE(list.entries().empty());
  EXPECT_EQ(list.selectedEntry(), nullptr);
  EXPECT_EQ(list.selectedPortNumber(), -1);
}

class LinuxPorts : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("lyra-ports-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "sys");
    fs::create_directories(root / "virtual");
    makeTty("ttyUSB0", true);
    makeTty("tty0", false);                // a console: no device behind it
    makeTty("ttyS0", true, "0");           // legacy UART slot with nothing fitted
    makeTty("ttyS1", true, "4");           // a real 16550A
  }
  void TearDown() override { fs::remove_all(root); }
  void makeTty(const std::string& name, bool device, const char* uartType = nullptr) {
    fs::create_directories(root / "sys" / name);
    if (device) fs::create_directory_symlink(root, root / "sys" / name / "device");
    if (uartType) std::ofstream(root / "sys" / name / "type") << uartType << "\n";
  }
  fs::path root;
};

TEST_F(LinuxPorts, ListsRealDevicesAndLiveSimulatorLinks) {
  std::ofstream(root / "pts7") << "";
  fs::create_symlink(root / "pts7", root / "virtual" / "ttySIM0");
  fs::create_symlink(root / "gone", root / "virtual" / "ttySIM1");  // simulator died
  LinuxPortSource source((root / "sys").string(), (root / "virtual").string());
  PortList list(source);
  list.refill();
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"ttyS1", "ttySIM0", "ttyUSB0"}));
  EXPECT_EQ(list.entries()[0].devicePath, "/dev/ttyS1");
  EXPECT_EQ(list.entries()[1].devicePath, (root / "virtual" / "ttySIM0").string());
}

TEST_F(LinuxPorts, APublishedVirtualPortAppearsWithinOneRefreshAndGoesWithItsLink) {
  VirtualScheduler scheduler;
  TimerTable timers(scheduler);
  LinuxPortSource source((root / "sys").string(), (root / "virtual").string());
  PortList list(source);
  list.refill();
  timers.refurbish.onTick = [&] { list.refreshTick(false); };
  timers.refurbish.start();

  std::ofstream(root / "pts9") << "";
  fs::create_symlink(root / "pts9", root / "virtual" / "ttySIM0");
  scheduler.advanceMs(3000);
  EXPECT_EQ(list.selectedEntry()->name, "ttyUSB0");  // still sorts last
  EXPECT_EQ(list.entries().size(), 3u);
  EXPECT_EQ(list.entries()[1].name, "ttySIM0");

  fs::remove(root / "virtual" / "ttySIM0");
  scheduler.advanceMs(3000);
  EXPECT_EQ(namesOf(list), (std::vector<std::string>{"ttyS1", "ttyUSB0"}));
}

}  // namespace
}  // namespace lyra
