// LYRAPHONE: controls loudspeaker processors and amplifiers on a serial bus.

#include <QApplication>
#include <QIcon>

#include "app/TForm1.h"
#include "app/QtScheduler.h"

#ifdef _WIN32
#include "serial/RegistryPortSource.h"
#include "serial/Win32SerialDriver.h"
#else
#include "serial/LinuxPortSource.h"
#include "serial/PosixSerialDriver.h"
#endif
#include "serial/NetworkRoutingDriver.h"
#include "serial/NetworkSerialDriver.h"
#include "sim/DemoBus.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128, 256})
    icon.addFile(QString(":/icons/lyraphone-%1.png").arg(size), QSize(size, size));
  QApplication::setWindowIcon(icon);
  QApplication::setApplicationName("LYRAPHONE");
  QApplication::setApplicationVersion("3.2.3");
  QGuiApplication::setDesktopFileName("org.example.lyraphone");
  lyra::QtScheduler scheduler;
#ifdef _WIN32
  lyra::Win32SerialDriver driver;
  lyra::RegistryPortSource ports;
#else
  lyra::PosixSerialDriver driver;
  lyra::LinuxPortSource ports;
#endif
  // The port list's Demo entry: simulated devices on the window's own clock, after the system's
  // ports.
  // rfc2217:// and tcp:// addresses: ports on the network, through the same link.
  lyra::NetworkSerialDriver network(scheduler);
  lyra::NetworkRoutingDriver systemOrNetwork(driver, network);
  lyra::DemoBus demo(scheduler, systemOrNetwork, ports);
  lyra::TForm1 form(scheduler, demo.driver(), demo.ports());
  form.show();
  // --trace FILE: the traffic trace from the start (Help starts and stops one later).
  const QStringList args = QCoreApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i) {
    if (args[i] == "--trace" && i + 1 < args.size()) {
      form.trace.start(args[++i].toStdString());
    } else if (args[i].startsWith("--trace=")) {
      form.trace.start(args[i].mid(8).toStdString());
    }
  }
  return app.exec();
}
