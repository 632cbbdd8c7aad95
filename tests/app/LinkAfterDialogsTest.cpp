// The link while a box is up or a wait runs: a real message box or file dialog runs a nested
// event loop, during which the port check can end the connection. Whatever the operation does
// after the box, the poll, the watchdog and the SendPump must stay stopped on a link that ended,
// and the next connect must work.

#include "tests/app/PresetScenario.h"
#include "tests/storage/TempFolder.h"

namespace lyra::test {
namespace {

class LinkAfterDialogs : public PresetScenario {
 protected:
  LinkAfterDialogs() { addDevice(1); }
  void SetUp() override {
    startWindow();
    connectAndSettle();
  }
  // The adapter leaves the system with the device behind it: the watchdog (2 s after the first
  // unanswered poll) or the port check (every 3 s) ends the link, whichever comes first.
  void unplug() { bus.removePort(kPort); }
  static bool endsTheLink(const std::string& text) {
    return text == "No port." ||
           text == "CONNECTION INTERRUPTED!\rPlease check data cables and reconnect.";
  }
  void expectLinkStopped() {
    EXPECT_FALSE(connectedCaption());
    EXPECT_FALSE(form->sessions.link.PortOpen());
    EXPECT_FALSE(form->sessions.timers.Timer1.isActive()) << "the poll came back after the link ended";
    EXPECT_FALSE(form->sessions.timers.intimer.isActive());
    EXPECT_FALSE(form->sessions.timers.sendTimer.isActive());
  }
  // The adapter is plugged in again and the user connects: the handshake must succeed.
  void expectNextConnectWorks() {
    scheduler.advanceMs(4000);
    const auto before = dialogs.messages.size();
    bus.addPort(kPort);
    addDevice(1);
    scheduler.advanceMs(3100);  // the port list sees it again
    // The last port, before "Network port...".
    form->areas.RzComboBox1->setCurrentIndex(form->areas.RzComboBox1->count() - 2);
    clickConnect();
    scheduler.advanceMs(3000);
    EXPECT_TRUE(connectedCaption());
    EXPECT_EQ(dialogs.messages.size(), before) << dialogs.messages.back().text;
  }
  std::string file(const std::string& name, const std::string& bytes) {
    WriteBytes(folder / name, bytes);
    return (folder / name).string();
  }
  TempFolder folder;
};

TEST_F(LinkAfterDialogs, ADamagedPresetFileAfterThePortLeftDuringTheQuestion) {
  unplug();
  dialogs.thinkTimesMs = {3500};  // the confirmation stays up over a port check
  dialogs.filePaths.push_back(file("damaged.sps", "A5A5A5 not a block\r\n"));
  form->areas.Button7->click();
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_TRUE(endsTheLink(dialogs.messages[0].text)) << dialogs.messages[0].text;
  EXPECT_EQ(dialogs.messages[1].text, "File damaged.");
  expectLinkStopped();
  scheduler.advanceMs(5000);
  expectLinkStopped();
  expectNextConnectWorks();
}

TEST_F(LinkAfterDialogs, LoadAllAfterThePortLeftWhetherCancelledUnreadableOrDamaged) {
  // Cancelled at the file dialog.
  unplug();
  dialogs.thinkTimesMs = {3500};
  form->areas.Button5->click();
  expectLinkStopped();
  expectNextConnectWorks();

  // A file that cannot be read: the dialog stays up over the port check.
  unplug();
  dialogs.thinkTimesMs = {0, 3500};
  dialogs.filePaths.push_back((folder / "missing.fps").string());
  form->areas.Button5->click();
  expectLinkStopped();
  expectNextConnectWorks();

  // A damaged file.
  unplug();
  dialogs.thinkTimesMs = {3500};
  dialogs.filePaths.push_back(file("damaged.fps", "only one line\r\n"));
  form->areas.Button5->click();
  expectLinkStopped();
  expectNextConnectWorks();
}

TEST_F(LinkAfterDialogs, ANameSaveWhoseWaitSpansThePortCheckOfALostPort) {
  // The port check runs every 3 s; restarted here, its next check falls in the save's 100 ms
  // wait. The port leaves the system just before the save, so the poll cannot notice it first.
  form->sessions.timers.brocar1.stop();
  form->sessions.timers.brocar1.start();
  scheduler.advanceMs(2960);
  unplug();
  form->areas.RzEdit1->setText("Stage left");
  form->areas.RzButton10->click();
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{"No port."});
  expectLinkStopped();
  scheduler.advanceMs(3000);
  expectLinkStopped();
  expectNextConnectWorks();
}

}  // namespace
}  // namespace lyra::test
