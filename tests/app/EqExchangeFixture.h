#pragma once
// The window connected to one simulated device, with a folder for the equaliser settings and
// response files its File menu reads and writes.

#include <QCheckBox>

#include "edits/TypedEdits.h"
#include "model/ParameterScales.h"
#include "sim/DeviceMemory.h"
#include "tests/app/EditingFixture.h"
#include "tests/storage/TempFolder.h"

namespace lyra::test {

class EqExchangeFixture : public EditingFixture {
 protected:
  std::string file(const std::string& name, const std::string& bytes) {
    WriteBytes(folder / name, bytes);
    return (folder / name).string();
  }
  std::string path(const std::string& name) const { return (folder / name).string(); }
  std::string read(const std::string& name) const { return ReadBytes(folder / name); }

  const EqBand& band(int row) const { return form->sessions.image.band(ToBandSlot(Way::Main, row)); }
  std::array<EqBand, kBandsPerWay> mainBands() const {
    std::array<EqBand, kBandsPerWay> b{};
    for (int row = 0; row < kBandsPerWay; ++row) b[static_cast<std::size_t>(row)] = band(row);
    return b;
  }
  // Main band `row` as the device holds it in its active preset.
  RowPayload deviceBand(int row) const {
    const std::size_t at = *rowOffset(static_cast<std::uint8_t>(0x05 + row), 0);
    RowPayload r{};
    for (std::size_t i = 0; i < r.size(); ++i) r[i] = device.memory().active[at + i];
    return r;
  }
  void setDeviceBand(int row, RowPayload r) {
    ASSERT_TRUE(device.memory().writeRow(static_cast<std::uint8_t>(0x05 + row), 0, r));
  }
  // The frame Main band `row` goes out in, from the band's fields as the image holds them.
  static Frame bandFrame(int row, const EqBand& b) {
    return write(static_cast<std::uint8_t>(0x05 + row), 0x00,
                 {b.frequency, b.type, static_cast<std::uint8_t>(b.peqGain), 0,
                  static_cast<std::uint8_t>(b.shelfGain), 0, b.q, 0});
  }
  static RowPayload payloadOf(const Frame& f) {
    RowPayload r{};
    std::copy(f.begin() + 10, f.begin() + 18, r.begin());
    return r;
  }
  QCheckBox* bypassBox(int row) const {
    return form->equalizer.rows[static_cast<std::size_t>(row)].bypass;
  }
  // The A1 writes and the A2 reads on the wire since the fixture last forgot them.
  std::size_t framesWithCommand(std::uint8_t cmd) const {
    std::size_t n = 0;
    for (const auto& w : bus.writes(kPort))
      if (w.bytes.size() > 4 && w.bytes[4] == cmd) ++n;
    return n;
  }

  TempFolder folder;
};

}  // namespace lyra::test
