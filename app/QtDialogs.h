#pragma once
// The program's dialogs: QMessageBox and QFileDialog, modal to the window.

#include "protocol/Dialogs.h"

class QWidget;

namespace lyra {

class QtDialogs final : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent) : parent_(parent) {}
  void message(const std::string& text, const std::string& detail) override;
  Answer question(const std::string& text, Buttons buttons) override;
  std::optional<std::string> openFile(const FileDialogSpec& options) override;
  std::optional<std::string> saveFile(const FileDialogSpec& options) override;

 private:
  QWidget* parent_;
};

}  // namespace lyra
