// The traffic trace from the window's Help menu: the save dialog names the file, the item turns
// into its stop, and a file that cannot be written is a message, never a stop of the window.

#include <filesystem>
#include <fstream>

#include "app/TraceMenu.h"
#include "protocol/CommandFrame.h"
#include "protocol/FrameSplitter.h"
#include "tests/app/WindowFixture.h"
#include "tests/storage/TempFolder.h"

namespace lyra::test {
namespace {

class TraceMenuTest : public WindowFixture {
 protected:
  std::string traceText() const { return ReadBytes(folder / "trace.txt"); }
  QAction& item() { return *form->trace.action; }
  TempFolder folder;
};

TEST_F(TraceMenuTest, HelpStartsATraceIntoTheChosenFileAndStopsIt) {
  addDevice(1);
  startWindow();
  EXPECT_EQ(item().text(), "Start traffic trace...");
  EXPECT_TRUE(form->areas.helpMenu->actions().contains(&item()));
  // Cancel in the save dialog: no trace.
  item().trigger();
  ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
  EXPECT_EQ(dialogs.fileDialogs[0].defaultExtension, "txt");
  EXPECT_FALSE(form->trace.running());
  EXPECT_EQ(item().text(), "Start traffic trace...");

  dialogs.filePaths = {(folder / "trace.txt").string()};
  item().trigger();
  EXPECT_TRUE(form->trace.running());
  EXPECT_EQ(item().text(), "Stop traffic trace");
  clickConnect();
  scheduler.advanceMs(3000);
  ASSERT_TRUE(connectedCaption());
  item().trigger();
  EXPECT_FALSE(form->trace.running());
  EXPECT_EQ(item().text(), "Start traffic trace...");
  EXPECT_EQ(dialogs.fileDialogs.size(), 2u) << "stopping asks nothing";

  const std::string text = traceText();
  EXPECT_NE(text.find("  sent      COM3  " + HexBytes(readActivePreset(0x00)) + "  |  address 00  read (A2)"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("  received  COM3  A5 A5 A5 00 52 00 28 00 01 40 "), std::string::npos);
  EXPECT_NE(text.find("  sent      COM3  " + HexBytes(statusPoll(0x00))), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 13), "# trace ends\n");
  // Stopped means stopped: later polls are not written.
  scheduler.advanceMs(2000);
  EXPECT_EQ(traceText(), text);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TraceMenuTest, AFileThatCannotBeWrittenIsAMessageAndTheWindowGoesOn) {
  addDevice(1);
  startWindow();
  const std::string nowhere = (folder / "no/such/folder/trace.txt").string();
  dialogs.filePaths = {nowhere};
  item().trigger();
  EXPECT_FALSE(form->trace.running());
  EXPECT_EQ(item().text(), "Start traffic trace...");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text,
            "The traffic trace cannot be written. LYRAPHONE goes on without it.");
  EXPECT_EQ(dialogs.messages[0].detail, nowhere + "\n(No such file or directory)");
  clickConnect();
  scheduler.advanceMs(3000);
  EXPECT_TRUE(connectedCaption());
}

#ifndef _WIN32
TEST_F(TraceMenuTest, ATraceThatStopsBeingWritableEndsWithAMessageWhileTheLinkGoesOn) {
  addDevice(1);
  startWindow();
  ASSERT_TRUE(form->trace.start((folder / "trace.txt").string()));
  clickConnect();
  scheduler.advanceMs(3000);
  ASSERT_TRUE(connectedCaption());
  {
    FileSizeLimit full(std::filesystem::file_size(folder / "trace.txt") + 50);
    scheduler.advanceMs(1500);
  }
  EXPECT_FALSE(form->trace.running());
  EXPECT_EQ(item().text(), "Start traffic trace...");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text,
            "The traffic trace stopped: its file cannot be written any more.");
  EXPECT_EQ(dialogs.messages[0].detail, (folder / "trace.txt").string() + "\n(File too large)");
  const auto pollsBefore = written().size();
  scheduler.advanceMs(2000);
  EXPECT_TRUE(connectedCaption());
  EXPECT_GE(written().size(), pollsBefore + 3) << "the poll goes on";
}
#endif

}  // namespace
}  // namespace lyra::test
