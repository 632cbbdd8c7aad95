// The program's own dialogs, run for real: the file dialog shows its filter once and leaves
// nothing in the user's configuration folder, since the program keeps no settings; a typed line
// is checked as it is typed.

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "app/QtDialogs.h"
#include "tests/storage/TempFolder.h"
#include "tests/support/QtApplication.h"

namespace lyra::test {
namespace {

const FileDialogOptions kOnePreset{"lyraphonefile(*.sps)|*.sps", "mystyle", "sps"};

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

// The typed line's box: each text is checked as typed, the fault shown under the field and given
// to screen readers with it, and OK waits for a text without one.
TEST(RealTextDialog, ChecksAsTypedAndTakesOnlyAGoodText) {
  qtApplication();
  QWidget parent;
  QtDialogs dialogs(&parent);
  std::vector<std::string> faultsShown;
  std::vector<bool> okEnabled;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr) << "no box up";
    auto* field = box->findChild<QLineEdit*>();
    auto* ok = box->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    QLabel* fault = nullptr;
    for (QLabel* l : box->findChildren<QLabel*>())
      if (l->accessibleName() == "What is wrong with the text") fault = l;
    ASSERT_NE(fault, nullptr);
    EXPECT_EQ(field->accessibleName(), "Network port");
    okEnabled.push_back(ok->isEnabled());
    for (const char* typed : {"tcp://host", "tcp://host:4001"}) {
      field->setText(typed);
      faultsShown.push_back(fault->text().toStdString());
      EXPECT_EQ(field->accessibleDescription(), fault->text());
      okEnabled.push_back(ok->isEnabled());
    }
    ok->click();
  });
  const auto typed = dialogs.askText("Network port", "Address:", [](const std::string& t) {
    return t.find(':', 6) == std::string::npos ? t + ": no port number" : std::string();
  });
  EXPECT_EQ(typed, std::optional<std::string>("tcp://host:4001"));
  EXPECT_EQ(faultsShown, (std::vector<std::string>{"tcp://host: no port number", ""}));
  EXPECT_EQ(okEnabled, (std::vector<bool>{false, false, true}));
}

}  // namespace
}  // namespace lyra::test
