#include "tests/app/WindowFixture.h"

#include "tests/support/QtApplication.h"

namespace lyra::test {

WindowFixture::WindowFixture() {
  qtApplication();
  bus.addPort(kPort);
  dialogs.clockMs = [this] { return scheduler.nowMs(); };
  dialogs.scheduler = &scheduler;
}

WindowFixture::~WindowFixture() {
  form.reset();  // before the devices and the bus it talks to
  devices.clear();
}

DeviceModel& WindowFixture::addDevice(int deviceId) {
  devices.push_back(std::make_unique<DeviceModel>(bus, kPort, deviceId,
                                                  static_cast<std::uint32_t>(deviceId)));
  return *devices.back();
}

void WindowFixture::startWindow() {
  form = std::make_unique<TForm1>(scheduler, *driver, *ports, &dialogs);
  scheduler.advanceMs(20);  // the start-up search runs inside its 10 ms tick
  // Its probes are the window's start, not the test's.
  for (const std::string& port : bus.portNames()) bus.clearWrites(port);
}

void WindowFixture::clickConnect() { form->areas.Button3->click(); }

std::vector<std::pair<std::int64_t, std::vector<std::uint8_t>>> WindowFixture::written() const {
  std::vector<std::pair<std::int64_t, std::vector<std::uint8_t>>> out;
  for (const auto& w : bus.writes(kPort)) out.emplace_back(w.timeUs / 1000, w.bytes);
  return out;
}

bool WindowFixture::connectedCaption() const {
  return form->areas.Button3->text() == "Disconnect";
}

QColor WindowFixture::panel1Colour() const {
  return form->areas.statusPanel1->palette().color(QPalette::WindowText);
}

}  // namespace lyra::test
