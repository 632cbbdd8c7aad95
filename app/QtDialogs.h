#pragma once
// The program's dialogs: QMessageBox and QFileDialog, modal to the window, and a box for a typed
// line checked as it is typed.

#include "protocol/Dialogs.h"

#include <QString>
#include <memory>

class QTemporaryDir;
class QWidget;

namespace lyra {

// The filter as Qt's file dialog takes it: "lyraphonefile(*.sps)|*.sps" shows as
// "lyraphonefile(*.sps)", a description without its pattern as "files (*.fps)".
QString qtFilter(const FileDialogOptions& options);

class QtDialogs final : public Dialogs {
 public:
  // Also keeps Qt's own dialog settings out of the user's configuration folder for the run.
  explicit QtDialogs(QWidget* parent);
  ~QtDialogs() override;
  QtDialogs(const QtDialogs&) = delete;
  QtDialogs& operator=(const QtDialogs&) = delete;
  void message(const std::string& text, const std::string& detail) override;
  Answer question(const std::string& text, Buttons buttons) override;
  std::optional<std::string> openFile(const FileDialogOptions& options) override;
  std::optional<std::string> saveFile(const FileDialogOptions& options) override;
  std::optional<std::string> askText(const std::string& title, const std::string& label,
                                     const std::function<std::string(const std::string&)>& check) override;

 private:
  QWidget* parent_;
  std::unique_ptr<QTemporaryDir> settings_;
};

}  // namespace lyra
