#pragma once
// Widget tests need one QApplication for the whole test program; the offscreen platform runs it
// without a display.

#include <QApplication>

namespace lyra::test {

inline QApplication& qtApplication() {
  static int argc = 1;
  static char name[] = "lyraphone-tests";
  static char* argv[] = {name, nullptr};
  // Never destroyed: Qt's input devices made by synthetic key events would otherwise outlive the
  // application's list of them at exit. It stays reachable, so it is no leak.
  static QApplication* app = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

}  // namespace lyra::test
