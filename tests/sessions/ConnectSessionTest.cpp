// The connect handshake without a window: a session, the parser and the supervisor against
// simulated devices in virtual time, with a front end whose boxes stay up while the clock runs.

#include <gtest/gtest.h>

#include "sim/DeviceModel.h"
#include "tests/sessions/ConnectStack.h"

namespace lyra {
namespace {

using Kinds = std::vector<OutcomeKind>;

class ConnectSessionTest : public ::testing::Test, protected test::ConnectStack {
 protected:
  ConnectSessionTest() {
    session.onFailed = [this] {
      ++failed;
      failedAtMs = scheduler.nowMs();
      session.end();
    };
    session.onLinkUp = [this] { ++linkUps; };
    timers.brocar1.start();
  }
  DeviceModel& addDevice(int id) {
    devices.push_back(std::make_unique<DeviceModel>(bus, "COM3", id, 7u));
    return *devices.back();
  }
  // The command, index and group of each frame the program wrote.
  std::vector<std::array<std::uint8_t, 3>> requests() const {
    std::vector<std::array<std::uint8_t, 3>> out;
    for (const auto& w : bus.writes("COM3")) out.push_back({w.bytes[4], w.bytes[5], w.bytes[6]});
    return out;
  }

  std::vector<std::unique_ptr<DeviceModel>> devices;
  int failed = 0;  // onFailed calls: the owner disconnected
  int linkUps = 0;
  std::int64_t failedAtMs = 0;
};

TEST_F(ConnectSessionTest, TheHandshakeReadsBlockNamesAndSystemRecordThenPolls) {
  DeviceModel& device = addDevice(1);
  device.memory().names[0] = DeviceMemory::nameOf("Rock");
  EXPECT_EQ(start(), ConnectSession::Started::Handshake);
  scheduler.advanceMs(3000);
  EXPECT_EQ(linkUps, 1);
  EXPECT_EQ(events.kindsOf(Operation::Connect), Kinds{OutcomeKind::Linked});
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(image.names.shown(0), "Rock");
  const auto r = requests();
  ASSERT_GE(r.size(), 4u);
  EXPECT_EQ(r[0], (std::array<std::uint8_t, 3>{command::kRead, 0, group::kPresetData}));
  EXPECT_EQ(r[1], (std::array<std::uint8_t, 3>{command::kRead, 0, group::kNameTable}));
  EXPECT_EQ(r[2], (std::array<std::uint8_t, 3>{command::kRead, 0, group::kSystemRecord}));
  EXPECT_EQ(r[3], (std::array<std::uint8_t, 3>{command::kRead, 0, group::kStatusRecord}));
  EXPECT_TRUE(timers.Timer1.isActive());
  EXPECT_FALSE(session.handshaking());
}

TEST_F(ConnectSessionTest, EachHandshakeFailureIsReportedOnceAtItsTime) {
  // No device: nothing within 800 ms.
  start();
  scheduler.advanceMs(799);
  EXPECT_TRUE(events.outcomes.empty());
  scheduler.advanceMs(2);
  EXPECT_EQ(events.kindsOf(Operation::Connect), Kinds{OutcomeKind::NoAnswer});
  scheduler.advanceMs(5000);
  EXPECT_EQ(events.outcomes.size(), 1u);
  EXPECT_EQ(failed, 1);

  // A block but no names: 2500 ms.
  events.outcomes.clear();
  addDevice(1).faults().ignoreNameTableRead = true;
  const std::int64_t from = scheduler.nowMs();
  start();
  scheduler.advanceMs(2499);
  EXPECT_TRUE(events.outcomes.empty());
  scheduler.advanceMs(2);
  EXPECT_EQ(events.kindsOf(Operation::Connect), Kinds{OutcomeKind::Overtime});
  EXPECT_EQ(failedAtMs - from, 2500);
  // The owner's disconnect closes the port 50 ms on; only then is the failure reported.
  EXPECT_EQ(events.outcomes[0].atMs, failedAtMs + 50);
  EXPECT_EQ(linkUps, 0);
  EXPECT_FALSE(supervisor.linked());
}

TEST_F(ConnectSessionTest, AHandshakeEndedByTheUserReportsNoTimeOutAfterwards) {
  start();  // no device
  scheduler.advanceMs(300);
  session.end();
  scheduler.advanceMs(5000);
  EXPECT_TRUE(events.outcomes.empty());
  EXPECT_FALSE(link.PortOpen());
}

TEST_F(ConnectSessionTest, APortThatDoesNotOpenSaysNoPortAndWhy) {
  bus.removePort("COM3");
  EXPECT_EQ(start(), ConnectSession::Started::NoPort);
  ASSERT_EQ(events.outcomes.size(), 1u);
  EXPECT_EQ(events.outcomes[0].outcome.kind, OutcomeKind::NoPort);
  EXPECT_EQ(events.outcomes[0].outcome.path, portList.selectedEntry()->devicePath);
  EXPECT_EQ(failed, 0) << "nothing was linked, nothing to disconnect";
  EXPECT_EQ(link.PortNumber, 0);
  EXPECT_FALSE(supervisor.linked());
  EXPECT_EQ(ConnectSession::openFailureKind(SerialError::NotASerialPort),
            OutcomeKind::NotASerialPort);
  EXPECT_EQ(ConnectSession::openFailureKind(SerialError::Busy), OutcomeKind::PortBusy);
  EXPECT_EQ(ConnectSession::openFailureKind(SerialError::PermissionDenied),
            OutcomeKind::PortDenied);
  EXPECT_EQ(ConnectSession::openFailureKind(SerialError::LineSettings), OutcomeKind::PortFailed);

  events.outcomes.clear();
  EXPECT_EQ(session.start(nullptr, 0), ConnectSession::Started::NoPort);
  EXPECT_EQ(events.kindsOf(Operation::Connect), Kinds{OutcomeKind::NoPortChosen});
}

TEST_F(ConnectSessionTest, BroadcastModeAsksSendsNothingAndALostPortDuringTheQuestionEndsIt) {
  addDevice(1);
  address.BusAddress = kBroadcastAddress;
  address.BroadcastMode = true;
  events.answers = {true, false, true};
  EXPECT_EQ(start(), ConnectSession::Started::Broadcast);
  EXPECT_EQ(events.questions, std::vector<Question>{Question::SameOnAllDevices});
  EXPECT_TRUE(requests().empty());
  scheduler.advanceMs(5000);
  EXPECT_EQ(failed, 0) << "nothing answers a broadcast, and the watchdog knows it";
  session.end();

  EXPECT_EQ(start(), ConnectSession::Started::BroadcastCancelled);
  session.end();
  EXPECT_EQ(events.kindsOf(Operation::Connect),
            (Kinds{OutcomeKind::Linked, OutcomeKind::Cancelled}));

  // The question stays up over a port check; the port leaves just after the box went up.
  events.outcomes.clear();
  events.thinkMs = 3500;
  timers.brocar1.stop();
  timers.brocar1.start();
  scheduler.post(1000, [this] { bus.removePort("COM3"); });
  EXPECT_EQ(start(), ConnectSession::Started::Lost);
  EXPECT_EQ(events.kindsOf(Operation::Connect), Kinds{OutcomeKind::PortLost})
      << "one outcome: the port left, nothing about the question";
  EXPECT_FALSE(link.PortOpen());
}

}  // namespace
}  // namespace lyra
