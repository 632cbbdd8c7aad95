#pragma once
// The window on virtual time with devices on one or more simulated ports, for the searches, the
// DeviceId change and BroadcastMode.

#include <QStringList>
#include <set>

#include "protocol/CommandFrame.h"
#include "tests/app/WindowFixture.h"

namespace lyra::test {

class SearchFixture : public WindowFixture {
 protected:
  // A device on any port of the bus (the port must exist); kept until the window is gone.
  DeviceModel& addDeviceOn(const std::string& port, int deviceId) {
    devices.push_back(std::make_unique<DeviceModel>(bus, port, deviceId,
                                                    static_cast<std::uint32_t>(deviceId + 17)));
    return *devices.back();
  }
  // Starts the window and lets the start-up result give way to the editing pages.
  void startAndSettle() {
    startWindow();
    scheduler.advanceMs(3100);
  }
  // Starts the window and keeps what its start-up search wrote on the bus.
  void startKeepingProbes() {
    form = std::make_unique<TForm1>(scheduler, *driver, *ports, &dialogs);
    scheduler.advanceMs(20);
  }
  // Runs fn at virtual time atMs from now, inside whatever wait is running then.
  void at(std::int64_t fromNowMs, std::function<void()> fn) {
    scheduler.post(fromNowMs * 1000, std::move(fn));
  }
  void clickSearch() { form->areas.Button8->click(); }

  QStringList resultLines() const {
    return form->areas.searchResultList->toPlainText().split('\n');
  }
  bool shown(QWidget* w) const { return w->isVisibleTo(&form->window()); }

  // The status polls written on a port, as the BusAddresses probed, in order.
  std::vector<int> probes(const std::string& port) const {
    std::vector<int> out;
    for (const auto& w : bus.writes(port)) {
      if (w.bytes.size() == 12 && w.bytes[6] == group::kStatusRecord) out.push_back(w.bytes[3]);
    }
    return out;
  }
  static std::vector<int> range(int first, int last) {
    std::vector<int> v;
    for (int i = first; i <= last; ++i) v.push_back(i);
    return v;
  }

  // The window is left as every search must leave it: port closed, nothing searching.
  void expectSearchEnded() const {
    EXPECT_FALSE(form->sessions.link.PortOpen());
    EXPECT_EQ(form->sessions.link.PortNumber, -1);
    EXPECT_EQ(form->sessions.flags.Searching, 0);
    EXPECT_FALSE(form->search.running());
    EXPECT_FALSE(shown(form->areas.searchProgressBox));
    EXPECT_EQ(form->areas.searchProgress->value(), 0);
    EXPECT_TRUE(shown(form->areas.searchResultBox));
    EXPECT_FALSE(shown(form->areas.RzGroupBox12));
  }
};

}  // namespace lyra::test
