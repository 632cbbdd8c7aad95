// Every way a connection fails, each with its message, and the window already disconnected
// while the message is up.

#include "app/OutcomeMessages.h"
#include "protocol/CommandFrame.h"
#include "tests/app/WindowFixture.h"

namespace lyra::test {
namespace {

// Answers every request with the first 100 bytes of a block and nothing more.
class HalfBlock final : public BusPeer {
 public:
  explicit HalfBlock(SimBus& bus) : bus_(bus) { bus_.attach("COM3", this); }
  ~HalfBlock() override { bus_.detach("COM3", this); }
  void byteFromProgram(std::uint8_t) override {
    if (++heard_ % 12 != 0) return;
    std::vector<std::uint8_t> part(100, 0x11);
    const std::uint8_t header[] = {0xA5, 0xA5, 0xA5, 0x00, 0x52, 0x00, 0x28, 0x00, 0x01, 0x40};
    std::copy(std::begin(header), std::end(header), part.begin());
    bus_.sendToProgram("COM3", part, 3000, this);
  }

 private:
  SimBus& bus_;
  int heard_ = 0;
};

class ConnectFailure : public WindowFixture {
 protected:
  // Records, for each message, whether the window was already disconnected when it showed.
  void watchMessages() {
    dialogs.whileShown = [this](const std::string&) {
      disconnectedWhileShown.push_back(!connectedCaption() && !form->sessions.link.PortOpen());
    };
  }
  std::vector<bool> disconnectedWhileShown;
};

TEST_F(ConnectFailure, NoDeviceOnTheBusEndsAfter800ms) {
  startWindow();
  watchMessages();
  const std::int64_t clickedMs = scheduler.nowMs();
  clickConnect();
  scheduler.advanceMs(3000);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text,
            "UNABLE TO CONNECT TO DEVICE!\rPlease make sure the device ID is correct.");
  EXPECT_EQ(dialogs.messages[0].atMs - clickedMs, 800 + 50);  // the disconnect waits 50 ms
  EXPECT_EQ(disconnectedWhileShown, std::vector<bool>{true});
  EXPECT_FALSE(connectedCaption());
}

TEST_F(ConnectFailure, BytesButNoBlockEndAfter1500ms) {
  HalfBlock peer(bus);
  startWindow();
  watchMessages();
  const std::int64_t clickedMs = scheduler.nowMs();
  clickConnect();
  scheduler.advanceMs(3000);
  ASSERT_EQ(dialogs.messageTexts(), std::vector<std::string>{"overtime,please try again."});
  EXPECT_EQ(dialogs.messages[0].atMs - clickedMs, 1500 + 50);
  EXPECT_EQ(disconnectedWhileShown, std::vector<bool>{true});
}

TEST_F(ConnectFailure, ABlockButNoNamesEndsAfter2500ms) {
  addDevice(1).faults().ignoreNameTableRead = true;
  startWindow();
  watchMessages();
  const std::int64_t clickedMs = scheduler.nowMs();
  clickConnect();
  scheduler.advanceMs(4000);
  ASSERT_EQ(dialogs.messageTexts(), std::vector<std::string>{"overtime,please try again."});
  EXPECT_EQ(dialogs.messages[0].atMs - clickedMs, 2500 + 50);
  EXPECT_EQ(disconnectedWhileShown, std::vector<bool>{true});
}

TEST_F(ConnectFailure, SilenceWhileConnectedEndsAbout2sAfterTheLastReply) {
  DeviceModel& device = addDevice(1);
  startWindow();
  watchMessages();
  clickConnect();
  scheduler.advanceMs(3000);
  ASSERT_TRUE(connectedCaption());
  device.faults().silent = true;
  const std::int64_t silentMs = scheduler.nowMs();
  scheduler.advanceMs(4000);
  ASSERT_EQ(dialogs.messageTexts(),
            std::vector<std::string>{
                "CONNECTION INTERRUPTED!\rPlease check data cables and reconnect."});
  // The first unanswered poll comes within 500 ms; the watchdog fires 2 s after it.
  EXPECT_GE(dialogs.messages[0].atMs - silentMs, 2000);
  EXPECT_LE(dialogs.messages[0].atMs - silentMs, 2600);
  EXPECT_EQ(disconnectedWhileShown, std::vector<bool>{true});
}

TEST_F(ConnectFailure, APortThatLeavesTheSystemEndsTheConnectionWithin3s) {
  addDevice(1);
  startWindow();
  watchMessages();
  clickConnect();
  scheduler.advanceMs(3000);
  ASSERT_TRUE(connectedCaption());
  bus.removePort(kPort);
  const std::int64_t pulledMs = scheduler.nowMs();
  scheduler.advanceMs(3100);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  // The port check or the watchdog, whichever comes first.
  const std::string& text = dialogs.messages[0].text;
  EXPECT_TRUE(text == "No port." ||
              text == "CONNECTION INTERRUPTED!\rPlease check data cables and reconnect.")
      << text;
  EXPECT_LE(dialogs.messages[0].atMs - pulledMs, 3000);
  EXPECT_EQ(disconnectedWhileShown, std::vector<bool>{true});
}

TEST_F(ConnectFailure, APortInUseSaysNoPortAndWhy) {
  startWindow();
  auto other = bus.makeDriver();
  ASSERT_EQ(other->open(kPort), SerialError::None);
  clickConnect();
  scheduler.advanceMs(100);
  ASSERT_EQ(dialogs.messageTexts(), std::vector<std::string>{"No port."});
  EXPECT_EQ(dialogs.messages[0].detail, "The port is in use by another program.");
  EXPECT_FALSE(connectedCaption());
  EXPECT_EQ(form->sessions.link.PortNumber, 0);
}

TEST_F(ConnectFailure, ConnectWithoutAnyPortSaysNoPortAndStaysDisconnected) {
  bus.removePort(kPort);
  startWindow();
  clickConnect();
  scheduler.advanceMs(100);
  ASSERT_EQ(dialogs.messageTexts(), std::vector<std::string>{"No port."});
  EXPECT_EQ(dialogs.messages[0].detail, "There is no serial port.");
  EXPECT_FALSE(connectedCaption());
  EXPECT_EQ(form->areas.Button3->text(), "Connect");
  EXPECT_FALSE(form->sessions.link.PortOpen());
  EXPECT_EQ(form->sessions.link.PortNumber, 0);
  // Nothing was started that would need a port: no poll, no watchdog, no connect timers.
  EXPECT_FALSE(form->sessions.timers.Timer1.isActive());
  EXPECT_FALSE(form->sessions.timers.intimer.isActive());
  EXPECT_FALSE(form->sessions.timers.chcon.isActive());
  scheduler.advanceMs(5000);
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(ConnectFailure, APortLeavingABroadcastConnectionIsFoundByThePortCheck) {
  addDevice(1);
  startWindow();
  scheduler.advanceMs(3000);
  form->sessions.address.BusAddress = kBroadcastAddress;
  form->sessions.address.BroadcastMode = true;
  clickConnect();
  scheduler.advanceMs(1000);
  ASSERT_TRUE(connectedCaption());
  ASSERT_TRUE(dialogs.messages.empty());
  watchMessages();
  bus.removePort(kPort);
  const std::int64_t pulledMs = scheduler.nowMs();
  scheduler.advanceMs(3100);
  // No watchdog runs in BroadcastMode: only the 3 s port check can notice.
  ASSERT_EQ(dialogs.messageTexts(), std::vector<std::string>{"No port."});
  EXPECT_EQ(dialogs.messages[0].detail, "The port has left the system.");
  EXPECT_LE(dialogs.messages[0].atMs - pulledMs, 3000 + 50);
  EXPECT_EQ(disconnectedWhileShown, std::vector<bool>{true});
  scheduler.advanceMs(6000);
  EXPECT_EQ(dialogs.messages.size(), 1u);  // said once
}

TEST_F(ConnectFailure, CancelOnTheBroadcastQuestionClosesThePortAtOnce) {
  addDevice(1);
  startWindow();
  form->sessions.address.BusAddress = kBroadcastAddress;
  form->sessions.address.BroadcastMode = true;
  dialogs.answers = {Dialogs::Answer::Cancel};
  clickConnect();
  ASSERT_EQ(dialogs.questions,
            std::vector<std::string>{
                "Please make sure you have select\r\nthe same preset on all devices"});
  EXPECT_FALSE(form->sessions.link.PortOpen());
  EXPECT_FALSE(connectedCaption());
  scheduler.advanceMs(1000);
  EXPECT_TRUE(written().empty());  // no handshake in BroadcastMode
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ConnectFailure, YesOnTheBroadcastQuestionOpensTheInitialDataBoxWithoutAHandshake) {
  addDevice(1);
  startWindow();
  scheduler.advanceMs(3000);  // the start-up search result has given way to the editing pages
  form->sessions.address.BusAddress = kBroadcastAddress;
  form->sessions.address.BroadcastMode = true;
  clickConnect();
  scheduler.advanceMs(3000);
  EXPECT_TRUE(connectedCaption());
  EXPECT_TRUE(form->areas.initialDataBox->isVisibleTo(&form->window()));
  EXPECT_FALSE(form->areas.RzGroupBox12->isVisibleTo(&form->window()));
  EXPECT_TRUE(written().empty());
  EXPECT_TRUE(dialogs.messages.empty());  // and the watchdog never fires
}

TEST_F(ConnectFailure, ABroadcastConnectionRightAfterStartUpKeepsTheEditingPagesHidden) {
  addDevice(1);
  startWindow();  // the start-up search result shows for 3 s
  form->sessions.address.BusAddress = kBroadcastAddress;
  form->sessions.address.BroadcastMode = true;
  clickConnect();
  scheduler.advanceMs(4000);  // the result's 3 s end while the initial-data box is up
  EXPECT_TRUE(form->areas.initialDataBox->isVisibleTo(&form->window()));
  EXPECT_FALSE(form->areas.RzGroupBox12->isVisibleTo(&form->window()));
  EXPECT_FALSE(form->areas.searchResultBox->isVisibleTo(&form->window()));
}

// A network port that refuses the connection or whose host is unknown does exist: the system's
// reason stands under "No port.". A serial port that is not there keeps the usual words.
TEST(ConnectFailureWords, ANetworkPortSaysTheSystemsReasonASerialPortThatItDoesNotExist) {
  const auto refused = windowMessageFor({Operation::Connect, OutcomeKind::NoPort, "tcp://10.0.0.9:4001",
                                         "10.0.0.9:4001: connect: Connection refused"});
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->text, "No port.");
  EXPECT_EQ(refused->detail, "10.0.0.9:4001: connect: Connection refused");
  const auto missing = windowMessageFor({Operation::Connect, OutcomeKind::NoPort, "/dev/ttyUSB7",
                                         "open: No such file or directory"});
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->detail, "The port does not exist.");
}

}  // namespace
}  // namespace lyra::test
