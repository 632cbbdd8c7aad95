// "Network port..." in the window, in virtual time: the address is asked for and checked, added to
// the port list for the run and selected, the list's refresh keeps it, the connection runs over
// it, the port check asks its connection (the system's list never holds it), and a dropped
// connection ends the link as a port that left. The devices behind the address are a simulated
// bus of their own behind the network routing, as the program composes the network driver.

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>

#include "serial/NetworkRoutingDriver.h"
#include "serial/PathRoutingDriver.h"
#include "tests/app/WindowFixture.h"

namespace lyra::test {
namespace {

constexpr const char* kAddress = "rfc2217://10.0.0.9:4001";

// A device server that takes its time: the connect keeps the window's events running meanwhile,
// as the network driver's open does.
class SlowConnect final : public PathRoutingDriver {
 public:
  SlowConnect(SerialDriver& bus, Scheduler& scheduler)
      : PathRoutingDriver(bus, bus, [](const std::string&) { return false; }),
        scheduler_(scheduler) {}
  SerialError open(const std::string& path) override {
    scheduler_.waitPumping(kConnectMs);
    return PathRoutingDriver::open(path);
  }
  static constexpr int kConnectMs = 4000;

 private:
  Scheduler& scheduler_;
};

class NetworkPortWindow : public WindowFixture {
 protected:
  NetworkPortWindow() {
    network.addPort(kAddress);
    rackDevice = std::make_unique<DeviceModel>(network, kAddress, 1, 1u);
    driver = std::make_unique<NetworkRoutingDriver>(*systemDriver, slowNetwork);
  }
  ~NetworkPortWindow() override { form.reset(); }

  QStringList items() const {
    QStringList out;
    for (int i = 0; i < form->areas.RzComboBox1->count(); ++i)
      out << form->areas.RzComboBox1->itemText(i);
    return out;
  }
  void chooseNetworkPort() {
    QComboBox* list = form->areas.RzComboBox1;
    list->setCurrentIndex(list->findText("Network port..."));
  }

  std::unique_ptr<SerialDriver> systemDriver = bus.makeDriver();
  SimBus network{scheduler};
  std::unique_ptr<SerialDriver> networkDriver = network.makeDriver();
  SlowConnect slowNetwork{*networkDriver, scheduler};
  std::unique_ptr<DeviceModel> rackDevice;
};

TEST_F(NetworkPortWindow, AnAddressIsCheckedAddedForTheRunAndConnectedThrough) {
  startWindow();
  scheduler.advanceMs(3100);
  EXPECT_EQ(items(), (QStringList{"COM3", "Network port..."}));

  // A malformed address cannot be taken; cancelling leaves the choice as it was.
  dialogs.typedTexts = {std::string("rfc2217://10.0.0.9"), std::nullopt};
  chooseNetworkPort();
  EXPECT_EQ(dialogs.textFaults, std::vector<std::string>{
                                    "rfc2217://10.0.0.9: no port number (the form is "
                                    "rfc2217://HOST:PORT or tcp://HOST:PORT)"});
  EXPECT_EQ(form->areas.RzComboBox1->currentText(), "COM3");
  chooseNetworkPort();
  EXPECT_EQ(form->areas.RzComboBox1->currentText(), "COM3");
  EXPECT_EQ(dialogs.textPrompts.size(), 2u);

  dialogs.typedTexts = {std::string("RFC2217://10.0.0.9:4001")};
  chooseNetworkPort();
  EXPECT_EQ(items(), (QStringList{"COM3", kAddress, "Network port..."}));
  EXPECT_EQ(form->areas.RzComboBox1->currentText(), kAddress);
  // The list's refresh sees a new adapter and keeps the address, not selected then.
  bus.addPort("COM7");
  scheduler.advanceMs(3100);
  EXPECT_EQ(items(), (QStringList{"COM3", "COM7", kAddress, "Network port..."}));
  EXPECT_EQ(form->areas.RzComboBox1->currentText(), "COM7");
  form->areas.RzComboBox1->setCurrentIndex(form->areas.RzComboBox1->findText(kAddress));

  // An adapter plugged in while the connect waits for the server: the list holds still, and the
  // connection's port stays the chosen one.
  scheduler.post(1'000'000, [this] { bus.addPort("COM9"); });
  clickConnect();
  scheduler.advanceMs(3000);
  ASSERT_TRUE(connectedCaption());
  EXPECT_EQ(form->sessions.portList.selectedEntry()->name, kAddress);
  EXPECT_EQ(form->areas.RzComboBox1->currentText(), kAddress);
  EXPECT_FALSE(network.writes(kAddress).empty());
  EXPECT_TRUE(bus.writes(kPort).empty());
  // Port checks with a system list that never holds the address.
  scheduler.advanceMs(10000);
  EXPECT_TRUE(connectedCaption());
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;

  // The server drops the connection.
  network.removePort(kAddress);
  scheduler.advanceMs(4000);
  EXPECT_FALSE(connectedCaption());
  ASSERT_FALSE(dialogs.messages.empty());
  EXPECT_EQ(dialogs.messages.back().text, "No port.");
  EXPECT_EQ(dialogs.messages.back().detail, "The port has left the system.");
}

// A keyboard user moving through the closed list is not asked for an address on the way: Down,
// End, Page Down, a typed letter and the wheel stop at the last port. The opened list's choice
// (a click, or Alt+Down and Enter) asks.
TEST_F(NetworkPortWindow, MovesInTheClosedListStopAtTheLastPort) {
  bus.addPort("COM7");
  startWindow();
  scheduler.advanceMs(3100);
  QComboBox* list = form->areas.RzComboBox1;
  ASSERT_EQ(items(), (QStringList{"COM3", "COM7", "Network port..."}));
  list->setCurrentIndex(0);
  for (int key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_End, Qt::Key_PageDown, Qt::Key_N}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_N ? "n" : "");
    QApplication::sendEvent(list, &press);
    EXPECT_EQ(list->currentText(), "COM7") << "after key " << key;
  }
  QWheelEvent down(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(list, &down);
  EXPECT_EQ(list->currentText(), "COM7");
  EXPECT_TRUE(dialogs.textPrompts.empty());
  ASSERT_NE(form->sessions.portList.selectedEntry(), nullptr);
  EXPECT_EQ(form->sessions.portList.selectedEntry()->name, "COM7");

  dialogs.typedTexts = {std::nullopt};
  chooseNetworkPort();
  EXPECT_EQ(dialogs.textPrompts.size(), 1u);
  EXPECT_EQ(list->currentText(), "COM7");
}

}  // namespace
}  // namespace lyra::test
