#pragma once
// The window as the program composes it (app/main.cpp): the demo bus around the system's driver
// and port list, here on virtual time, with a simulated adapter as the system's one port COM3.

#include <gtest/gtest.h>

#include <QComboBox>
#include <memory>
#include <optional>
#include <string>

#include "app/TForm1.h"
#include "sim/DemoBus.h"
#include "sim/DeviceModel.h"
#include "sim/SimBus.h"
#include "tests/support/QtApplication.h"
#include "tests/support/ScriptedDialogs.h"
#include "timing/VirtualScheduler.h"

namespace lyra::test {

// The system's ports as the test sets them: the adapter's bus, none at all, or a list that
// cannot be read.
class SystemPorts final : public PortSource {
 public:
  enum class State { Adapter, None, Unreadable };
  explicit SystemPorts(SimBus& adapter) : adapter_(adapter.makePortSource()) {}
  std::optional<std::vector<PortEntry>> readSystemPorts() override {
    if (state == State::Unreadable) return std::nullopt;
    if (state == State::None) return std::vector<PortEntry>{};
    return adapter_->readSystemPorts();
  }
  State state = State::Adapter;

 private:
  std::unique_ptr<PortSource> adapter_;
};

class DemoFixture : public ::testing::Test {
 protected:
  static constexpr const char* kAdapterPort = "COM3";

  DemoFixture() {
    qtApplication();
    adapter.addPort(kAdapterPort);
    dialogs.clockMs = [this] { return scheduler.nowMs(); };
    dialogs.scheduler = &scheduler;
  }
  ~DemoFixture() override { form.reset(); }

  // Makes the window and runs its start-up search; the result then gives way to the pages.
  void startWindow() {
    form = std::make_unique<TForm1>(scheduler, demo.driver(), demo.ports(), &dialogs);
    scheduler.advanceMs(20);
  }
  void startAndSettle() {
    startWindow();
    scheduler.advanceMs(3100);
  }
  void select(const char* portName) {
    QComboBox* list = form->areas.RzComboBox1;
    const int at = list->findText(portName);
    ASSERT_GE(at, 0) << portName;
    list->setCurrentIndex(at);
  }
  // Connects to DeviceId id on the Demo entry and lets the handshake end.
  void connectToDemo(int id = 1) {
    select(kDemoPortName);
    form->areas.RzComboBox6->setCurrentIndex(id - 1);
    form->areas.Button3->click();
    scheduler.advanceMs(3000);
    ASSERT_EQ(form->areas.Button3->text(), "Disconnect");
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
  }
  void disconnect() {
    form->areas.Button3->click();
    scheduler.advanceMs(2100);  // the connect button is enabled again after 2 s
  }
  const std::vector<SimBus::Write>& demoWrites() { return demo.bus().writes(kDemoDevicePath); }
  DeviceModel& demoDevice(int factoryId) { return *demo.device(factoryId); }
  QString title() const { return form->window().windowTitle(); }
  QString panel1() const { return form->areas.statusPanel1->text(); }
  bool shown(QWidget* w) const { return w->isVisibleTo(&form->window()); }

  VirtualScheduler scheduler;
  SimBus adapter{scheduler};  // the system's serial adapter
  std::unique_ptr<SerialDriver> systemDriver = adapter.makeDriver();
  SystemPorts systemPorts{adapter};
  DemoBus demo{scheduler, *systemDriver, systemPorts};
  ScriptedDialogs dialogs;
  std::unique_ptr<TForm1> form;
};

}  // namespace lyra::test
