// LYRAPHONE: controls loudspeaker processors and amplifiers on a serial bus.

#include <QApplication>

#include "app/TForm1.h"
#include "serial/LinuxPortSource.h"
#include "serial/PosixSerialDriver.h"
#include "timing/QtScheduler.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  lyra::QtScheduler scheduler;
  lyra::PosixSerialDriver driver;
  lyra::LinuxPortSource ports;
  lyra::TForm1 form(scheduler, driver, ports);
  form.show();
  return app.exec();
}
