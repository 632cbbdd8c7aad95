#include "tests/app/EditingFixture.h"

#include <QApplication>
#include <QInputDevice>

namespace lyra::test {

namespace {
// QTest's first mouse event registers a pointing device with the QApplication, which the test
// program destroys at exit. Qt's list of devices must outlive it, so it is made before main.
[[maybe_unused]] const qsizetype kDevicesBeforeMain = QInputDevice::devices().size();
}  // namespace

EditingFixture::EditingFixture() : device(addDevice(1)) {}

void EditingFixture::connect() {
  startWindow();
  scheduler.advanceMs(3100);  // the start-up search result gives way to the editing pages
  clickConnect();
  scheduler.advanceMs(3000);
  ASSERT_TRUE(connectedCaption());
  showForEditing();
}

void EditingFixture::showForEditing() {
  elsewhere = new QLineEdit(&form->window());
  elsewhere->setObjectName("elsewhere");
  form->window().show();
  // Focus changes reach widgets of the active window only.
  QApplication::setActiveWindow(&form->window());
  ASSERT_TRUE(form->window().isActiveWindow());
  leave();
  bus.clearWrites(kPort);
  seen_ = 0;
}

void EditingFixture::showDisconnected() {
  startWindow();
  scheduler.advanceMs(3100);
  ASSERT_FALSE(form->sessions.link.PortOpen());
  showForEditing();
}

void EditingFixture::disconnect() {
  clickConnect();
  scheduler.advanceMs(2100);  // the connect button is enabled again after 2 s
}

void EditingFixture::leave() {
  elsewhere->setFocus(Qt::TabFocusReason);
}

void EditingFixture::typeAndEnter(QLineEdit* e, const QString& keys) {
  QTest::mouseClick(e, Qt::LeftButton);
  QTest::keyClicks(e, keys);
  QTest::keyClick(e, Qt::Key_Return);
}

void EditingFixture::typeAndLeave(QLineEdit* e, const QString& keys) {
  QTest::mouseClick(e, Qt::LeftButton);
  QTest::keyClicks(e, keys);
  leave();
}

std::vector<Frame> EditingFixture::sentWrites() {
  // Each pending slot takes about 510 ms; eight seconds empty the longest queue of these tests.
  scheduler.advanceMs(8000);
  std::vector<Frame> out;
  const auto& all = bus.writes(kPort);
  for (; seen_ < all.size(); ++seen_) {
    const auto& bytes = all[seen_].bytes;
    if (bytes.size() == kParameterWriteBytes && bytes[4] == command::kWrite) out.push_back(bytes);
  }
  return out;
}

Frame EditingFixture::write(std::uint8_t group, std::uint8_t item, RowPayload payload) {
  Frame f = {0xA5, 0xA5, 0xA5, 0x00, 0xA1, 0x00, group, item, 0x00, 0x08};
  f.insert(f.end(), payload.begin(), payload.end());
  std::uint8_t x = 0;
  for (std::size_t i = 3; i < f.size(); ++i) x ^= f[i];
  f.push_back(x);
  f.push_back(0xAA);
  return f;
}

}  // namespace lyra::test
