#pragma once
// The whole program, offscreen, on virtual time, connected through the simulated bus to
// simulated devices. Tests drive it through its controls and look at the bus, the dialogs, the
// image and the controls.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/TForm1.h"
#include "sim/DeviceModel.h"
#include "sim/SimBus.h"
#include "tests/support/ScriptedDialogs.h"
#include "timing/VirtualScheduler.h"

namespace lyra::test {

class WindowFixture : public ::testing::Test {
 protected:
  static constexpr const char* kPort = "COM3";

  WindowFixture();
  ~WindowFixture() override;

  // Adds a device on the port before the window starts; call from the test's constructor or
  // before startWindow().
  DeviceModel& addDevice(int deviceId);
  // Makes the window and lets its start-up (port list, start-up search) run; what the search
  // wrote is forgotten, so written() begins with the test's own frames.
  void startWindow();
  void clickConnect();
  // The frames the program wrote, with their virtual times in ms.
  std::vector<std::pair<std::int64_t, std::vector<std::uint8_t>>> written() const;
  bool connectedCaption() const;
  QColor panel1Colour() const;
  template <typename W>
  W* control(const char* name) const {
    return form->window().findChild<W*>(name);
  }

  VirtualScheduler scheduler;
  SimBus bus{scheduler};
  std::unique_ptr<SerialDriver> driver = bus.makeDriver();
  std::unique_ptr<PortSource> ports = bus.makePortSource();
  ScriptedDialogs dialogs;
  std::vector<std::unique_ptr<DeviceModel>> devices;
  std::unique_ptr<TForm1> form;
};

}  // namespace lyra::test
