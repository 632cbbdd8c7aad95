// The program's own dialogs, run for real: the file dialog shows its filter once and leaves
// nothing in the user's configuration folder, since the program keeps no settings.

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <filesystem>

#include "app/QtDialogs.h"
#include "tests/storage/TempFolder.h"
#include "tests/support/QtApplication.h"

namespace lyra::test {
namespace {

const FileDialogSpec kOnePreset{"lyraphonefile(*.sps)|*.sps", "mystyle", "sps"};

TEST(QtDialogsFilter, ShowsADescriptionThatNamesItsPatternOnce) {
  EXPECT_EQ(qtFilter(kOnePreset), "lyraphonefile(*.sps)");
  EXPECT_EQ(qtFilter({"presets|*.fps", "", ""}), "presets (*.fps)");
  EXPECT_EQ(qtFilter({"all files", "", ""}), "all files");
}

// The dialog runs its own event loop; the test answers it from inside that loop, as a user
// would, and looks at what it showed.
class RealFileDialog : public ::testing::Test {
 protected:
  RealFileDialog() {
    // Qt reads where the user's settings live when it first needs them: point that at an empty
    // home of the test's own before anything does.
    qputenv("HOME", home.path().c_str());
    qputenv("XDG_CONFIG_HOME", (home.path() / ".config").c_str());
    std::filesystem::create_directories(home.path() / ".config");
    qtApplication();
  }

  // Shows the dialog, notes its filters, and cancels it from inside its loop.
  void runAndCancel(bool save) {
    QWidget parent;
    {
      QtDialogs dialogs(&parent);
      QTimer::singleShot(0, [this] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no file dialog up";
        shownFilters = dialog->nameFilters();
        dialog->reject();
      });
      const auto chosen = save ? dialogs.saveFile(kOnePreset) : dialogs.openFile(kOnePreset);
      EXPECT_FALSE(chosen.has_value());
    }
  }

  std::size_t filesUnderConfig() const {
    std::size_t n = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(home.path() / ".config")) {
      if (e.is_regular_file()) ++n;
    }
    return n;
  }

  TempFolder home;
  QStringList shownFilters;
};

TEST_F(RealFileDialog, OpeningAndSavingLeaveNoFileInTheUsersConfigurationFolder) {
  runAndCancel(false);
  EXPECT_EQ(shownFilters, QStringList{"lyraphonefile(*.sps)"})
      << "was \"lyraphonefile(*.sps) (*.sps)\"";
  runAndCancel(true);
  EXPECT_EQ(shownFilters, QStringList{"lyraphonefile(*.sps)"});
  EXPECT_EQ(filesUnderConfig(), 0u) << "the dialog's history went to QtProject.conf";
}

}  // namespace
}  // namespace lyra::test
