// The port check on a port on the network: such a port is never in the system's list, so the
// check asks the connection instead, and a connection that its server closed is a port that left
// the system, with the window's message. Devices on a simulated bus in virtual time.

#include <gtest/gtest.h>

#include "sessions/ConnectSession.h"
#include "sessions/ReplyWiring.h"
#include "serial/PathRoutingDriver.h"
#include "sim/DeviceModel.h"
#include "sim/SimBus.h"
#include "tests/support/ScriptedEvents.h"
#include "timing/VirtualScheduler.h"

namespace lyra {
namespace {

constexpr const char* kAddress = "rfc2217://10.0.0.9:4001";

// The simulated bus behind a network address, and a server that can close the connection.
class DroppableDriver final : public PathRoutingDriver {
 public:
  explicit DroppableDriver(SerialDriver& bus)
      : PathRoutingDriver(bus, bus, [](const std::string&) { return false; }) {}
  bool connectionLost() const override { return dropped; }
  bool dropped = false;
};

// The list the port was chosen from, then the system's list as it is: without network ports.
class ChosenOnce final : public PortSource {
 public:
  std::optional<std::vector<PortEntry>> readSystemPorts() override {
    if (reads_++ == 0) return std::vector<PortEntry>{{kAddress, kAddress}};
    return std::vector<PortEntry>{};
  }

 private:
  int reads_ = 0;
};

class NetworkPortCheck : public ::testing::Test {
 protected:
  NetworkPortCheck() {
    bus.addPort(kAddress);
    device = std::make_unique<DeviceModel>(bus, kAddress, 1, 7u);
    portList.refill();
    events.scheduler = &scheduler;
    link.replyParser = [this] { parser.parseReplies(); };
    session.onFailed = [this] { session.end(); };
    session.onLinkUp = [this] { ++linkUps; };
    timers.brocar1.start();
  }
  ~NetworkPortCheck() override {
    timers.stopAll();
    link.closePort();
  }

  VirtualScheduler scheduler;
  TimerTable timers{scheduler};
  SimBus bus{scheduler};
  std::unique_ptr<SerialDriver> busDriver = bus.makeDriver();
  DroppableDriver driver{*busDriver};
  ChosenOnce ports;
  SerialLink link{driver, scheduler};
  PortList portList{ports};
  BusAddressing address;
  SendPump pump{timers, link, address};
  LinkSupervisor supervisor{timers, link, pump, address, portList};
  PresetImage image;
  ReplyParser parser = WiredReplyParser(link, image, pump, supervisor);
  WaitingFlags flags;
  test::ScriptedEvents events;
  ConnectSession session{scheduler, timers, link, pump, supervisor, parser, address, flags, events};
  std::unique_ptr<DeviceModel> device;
  int linkUps = 0;
};

TEST_F(NetworkPortCheck, APortOnTheNetworkIsThereWhileItsConnectionIs) {
  ASSERT_NE(portList.selectedEntry(), nullptr);
  EXPECT_EQ(session.start(portList.selectedEntry(), portList.selectedPortNumber()),
            ConnectSession::Started::Handshake);
  scheduler.advanceMs(3000);
  EXPECT_EQ(linkUps, 1);
  // Several port checks with a system list that never holds the address.
  scheduler.advanceMs(10000);
  EXPECT_TRUE(events.failures().empty());
  EXPECT_TRUE(link.PortOpen());

  driver.dropped = true;
  scheduler.advanceMs(3100);
  ASSERT_EQ(events.failures().size(), 1u);
  EXPECT_EQ(events.failures()[0].kind, OutcomeKind::PortLost);
  EXPECT_FALSE(link.PortOpen());
}

}  // namespace
}  // namespace lyra
