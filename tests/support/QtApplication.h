#pragma once
// Widget tests need one QApplication for the whole test program; the offscreen platform runs it
// without a display.

#include <QApplication>
#include <memory>

namespace lyra::test {

inline QApplication& qtApplication() {
  static int argc = 1;
  static char name[] = "lyraphone-tests";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QApplication> app = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
  }();
  return *app;
}

}  // namespace lyra::test
