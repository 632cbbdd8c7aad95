// Pictures of the real window for the user guide: the program offscreen on virtual time,
// connected through the simulated bus to simulated devices, driven through its own controls.
//
//   lyraphone-screenshots <folder> <suffix>
// writes <folder>/<name>-<suffix>.png for each picture. scripts/screenshots runs it at 100 % and
// at 200 % scale (QT_SCALE_FACTOR=2). "small-screen" is the window fitted to a 1366 x 768 screen;
// "graph-phase" is the response graph alone with "Show phase" on.

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <memory>
#include <string>

#include "app/TForm1.h"
#include "app/WindowFit.h"
#include "sim/DeviceModel.h"
#include "sim/SimBus.h"
#include "tests/support/ScriptedDialogs.h"
#include "timing/VirtualScheduler.h"

namespace {

using namespace lyra;

struct Scene {
  VirtualScheduler scheduler;
  SimBus bus{scheduler};
  std::unique_ptr<SerialDriver> driver = bus.makeDriver();
  std::unique_ptr<PortSource> ports;
  test::ScriptedDialogs dialogs;
  std::unique_ptr<DeviceModel> first;
  std::unique_ptr<DeviceModel> second;
  std::unique_ptr<TForm1> form;

  Scene() {
    bus.addPort("ttySIM0");
    ports = bus.makePortSource();
    first = std::make_unique<DeviceModel>(bus, "ttySIM0", 1, 1);
    second = std::make_unique<DeviceModel>(bus, "ttySIM0", 5, 2);
    // A preset worth looking at: a low shelf, a cut, a peak and a high-pass filter.
    const std::uint8_t shelf[8] = {40, 1, 120, 0, 150, 0, 4, 0};
    const std::uint8_t cut[8] = {100, 0, 90, 0, 120, 0, 12, 0};
    const std::uint8_t peak[8] = {170, 0, 155, 0, 120, 0, 8, 0};
    const std::uint8_t filters[8] = {20, 7, 0, 0, 220, 4, 0, 0};
    first->memory().writeRow(0x05, 0, shelf);
    first->memory().writeRow(0x07, 0, cut);
    first->memory().writeRow(0x09, 0, peak);
    first->memory().writeRow(0x04, 0, filters);
    form = std::make_unique<TForm1>(scheduler, *driver, *ports, &dialogs);
    form->window().show();
    scheduler.advanceMs(12'000);  // the start-up search and its result
  }
  ~Scene() { form.reset(); }
  void connect() {
    form->areas.Button3->click();
    scheduler.advanceMs(3000);
  }
};

bool save(QWidget& widget, const QString& folder, const char* name, const QString& suffix) {
  QApplication::processEvents();
  const QString path = QString("%1/%2-%3.png").arg(folder, name, suffix);
  const bool ok = widget.grab().save(path);
  std::printf("%s %s\n", ok ? "wrote" : "could not write", path.toStdString().c_str());
  return ok;
}

bool save(Scene& s, const QString& folder, const char* name, const QString& suffix) {
  return save(s.form->window(), folder, name, suffix);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QString folder = argc > 1 ? argv[1] : ".";
  const QString suffix = argc > 2 ? argv[2] : "100";
  QDir().mkpath(folder);
  bool ok = true;
  {
    Scene s;
    s.connect();
    ok &= save(s, folder, "connected", suffix);
  }
  {
    Scene s;
    s.form->areas.Button8->click();  // "Search device ID": 256 addresses, 25.6 s
    s.scheduler.advanceMs(30'000);
    ok &= save(s, folder, "search-result", suffix);
  }
  {
    Scene s;
    s.connect();
    s.form->areas.RzComboBox10->setCurrentIndex(2);
    s.form->areas.RzButton9->click();  // "Load", confirmed by the scripted Yes
    s.scheduler.advanceMs(3050);       // the block is in and decoded; the wait box has gone
    ok &= save(s, folder, "preset-loaded", suffix);
  }
  {
    // A 1366 x 768 screen with a 32-pixel panel: the window fits the screen and the layout
    // scrolls; the focus in band 2's gain shows the keyboard's way through it.
    Scene s;
    s.connect();
    fitWindow(s.form->window(), QSize(1366, 768 - 32));
    QApplication::setActiveWindow(&s.form->window());
    s.form->equalizer.rows[1].gain->setFocus(Qt::TabFocusReason);
    ok &= save(s, folder, "small-screen", suffix);
  }
  {
    Scene s;
    s.connect();
    s.form->graphPhase.showPhase->click();
    ok &= save(*s.form->areas.RzGroupBox8, folder, "graph-phase", suffix);
  }
  {
    Scene s;
    s.form->areas.RzButton8->click();  // BroadcastMode on
    s.connect();
    ok &= save(s, folder, "broadcast", suffix);
  }
  return ok ? 0 : 1;
}
