#pragma once
// The window connected to simulated devices, for the preset and file scenarios: helpers to find
// the frames the program wrote and to give a device a preset of its own.

#include <optional>
#include <string>

#include "protocol/CommandFrame.h"
#include "tests/app/WindowFixture.h"

namespace lyra::test {

class PresetScenario : public WindowFixture {
 protected:
  using Bytes = std::vector<std::uint8_t>;

  // Connects to DeviceId 1 (or the chosen one) and lets the handshake end.
  void connectAndSettle() {
    clickConnect();
    scheduler.advanceMs(3000);
    ASSERT_TRUE(connectedCaption());
    ASSERT_TRUE(dialogs.messages.empty());
  }

  // The writes from writeIndex on whose bytes 4..6 are command, index and group.
  std::vector<std::pair<std::int64_t, Bytes>> framesOf(std::uint8_t command, std::uint8_t group,
                                                       std::size_t fromWrite = 0) const {
    std::vector<std::pair<std::int64_t, Bytes>> out;
    const auto all = written();
    for (std::size_t i = fromWrite; i < all.size(); ++i) {
      const Bytes& b = all[i].second;
      if (b.size() >= 7 && b[4] == command && b[6] == group) out.push_back(all[i]);
    }
    return out;
  }

  // A preset unlike the factory ones: Main band 1 at 102 Hz, +6.0 dB, Q 2.2, and data byte 300
  // (which the program never interprets) set, so that only a faithful copy keeps it.
  static PresetData distinctPreset(std::uint8_t marker = 0x5A) {
    DeviceMemory m = DeviceMemory::factory(1);
    const std::uint8_t row[8] = {57, 0, 150, 0, 120, 0, 10, 0};
    (void)m.writeRow(0x05, 0, row);
    m.active[300] = marker;
    return m.active;
  }

  // The PresetBlockText a device at busAddress sends for data, as it stands in a preset file.
  static std::string blockText(std::uint8_t busAddress, std::uint8_t index, std::uint8_t group,
                               const PresetData& data) {
    Bytes frame = {0xA5, 0xA5, 0xA5, busAddress, 0x52, index, group, 0x00, 0x01, 0x40};
    frame.insert(frame.end(), data.begin(), data.end());
    std::uint8_t checksum = 0;
    for (std::size_t i = 3; i < frame.size(); ++i) checksum ^= frame[i];
    frame.push_back(checksum);
    frame.push_back(0xAA);
    static const char* kHex = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : frame) {
      text += kHex[b >> 4];
      text += kHex[b & 0x0F];
    }
    return text;
  }

  QWidget* waitBox() const { return form->areas.RzGroupBox1; }
  bool visible(QWidget* w) const { return w->isVisibleTo(&form->window()); }
  int progress() const { return form->areas.waitProgress->value(); }
  bool editingEnabled() const { return form->areas.RzGroupBox12->isEnabled(); }
};

}  // namespace lyra::test
