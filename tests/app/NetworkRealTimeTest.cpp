// The window on a port on the network in real time, as the program composes it: ser2net serves
// lyraphone-sim's pseudo-terminal as rfc2217:// on the loopback, the user adds the address
// through "Network port...", connects and loads a slot on Qt's event loop, then ser2net is killed
// and the window says the port has left. Each wait polls its condition with a generous limit.

#include <QTest>

#include "app/TForm1.h"
#include "serial/NetworkRoutingDriver.h"
#include "serial/NetworkSerialDriver.h"
#include "serial/PosixSerialDriver.h"
#include "sim/DemoBus.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/sim/SimProcess.h"
#include "tests/support/QtApplication.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/Ser2net.h"
#include "app/QtScheduler.h"

namespace lyra::test {
namespace {

constexpr int kLimitMs = 60'000;

TEST(NetworkRealTime, TheWindowConnectsThroughADeviceServerAndSeesItGo) {
  if (!ser2netInstalled()) GTEST_SKIP() << "ser2net is not installed (apt-get install ser2net)";
  SimProcess sim;
  ASSERT_TRUE(sim.start({"--devices", "1"}));
  const std::string pty = sim.readLine();
  ASSERT_FALSE(pty.empty());
  Ser2net server;
  const std::string address = server.start(sim.runtimeDir(), pty, true);
  ASSERT_FALSE(address.empty()) << "ser2net did not come up";

  qtApplication();
  QtScheduler scheduler;
  PosixSerialDriver posix;
  NetworkSerialDriver network(scheduler);
  NetworkRoutingDriver systemOrNetwork(posix, network);
  FixedPorts systemPorts;  // no serial port in the system
  DemoBus demo(scheduler, systemOrNetwork, systemPorts);
  ScriptedDialogs dialogs;
  TForm1 form(scheduler, demo.driver(), demo.ports(), &dialogs);
  WindowAreas& a = form.areas;
  ASSERT_TRUE(QTest::qWaitFor([&] { return a.GroupBox2->isVisibleTo(&form.window()); }, kLimitMs));

  dialogs.typedTexts = {address};
  a.RzComboBox1->setCurrentIndex(a.RzComboBox1->findText("Network port..."));
  ASSERT_EQ(a.RzComboBox1->currentText().toStdString(), address);

  a.Button3->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return a.RzComboBox10->itemText(0).startsWith("Pre0:Flat"); },
                              kLimitMs))
      << (dialogs.messages.empty() ? "" : dialogs.messages.front().detail);
  EXPECT_EQ(a.Button3->text(), "Disconnect");
  a.RzComboBox10->setCurrentIndex(2);
  a.RzButton9->click();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return a.RzLabel14->text() == "Last loaded preset:Pre2         "; }, kLimitMs))
      << a.RzLabel14->text().toStdString();
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;

  server.stop();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.messages.empty(); }, kLimitMs));
  EXPECT_EQ(dialogs.messages.back().text, "No port.");
  EXPECT_EQ(dialogs.messages.back().detail, "The port has left the system.");
  EXPECT_EQ(a.Button3->text(), "Connect");
}

}  // namespace
}  // namespace lyra::test
