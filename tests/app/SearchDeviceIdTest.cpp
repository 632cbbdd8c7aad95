// Giving the connected device a new DeviceId with the set-ID field and "OK".

#include <QValidator>
#include <algorithm>

#include "tests/app/SearchFixture.h"

namespace lyra::test {
namespace {

class SetDeviceId : public SearchFixture {
 protected:
  // Device 3 with the system record of the worked example: last preset 1, stored bytes 0 and 0,
  // temperature limit 30.
  DeviceModel& connectToDevice3() {
    DeviceModel& device = addDevice(3);
    device.memory().systemRecord = {1, 0, 0, 3, 0, 30, 0, 0};
    startAndSettle();
    form->areas.RzComboBox6->setCurrentIndex(2);
    clickConnect();
    scheduler.advanceMs(3000);  // handshake and the system record read
    EXPECT_TRUE(connectedCaption());
    EXPECT_EQ(form->sessions.image.system.temperatureLimit, 30);
    bus.clearWrites(kPort);
    return device;
  }
  std::vector<std::vector<std::uint8_t>> systemRecordWrites() const {
    std::vector<std::vector<std::uint8_t>> out;
    for (const auto& [ms, bytes] : written()) {
      if (bytes.size() == 20 && bytes[4] == command::kWrite && bytes[6] == group::kSystemRecord)
        out.push_back(bytes);
    }
    return out;
  }
  void enter(const QString& text) {
    form->areas.RzEdit2->setText(text);
    form->areas.Button1->click();
  }
};

TEST_F(SetDeviceId, TwelveGoesToTheOldAddressAndThePollsFollowTheDevice) {
  DeviceModel& device = connectToDevice3();
  enter("12");
  scheduler.advanceMs(1000);

  const std::vector<std::uint8_t> expected = {0xA5, 0xA5, 0xA5, 0x02, 0xA1, 0x00, 0x21,
                                              0x00, 0x00, 0x08, 0x01, 0x00, 0x00, 0x0C,
                                              0x00, 0x1E, 0x00, 0x00, 0x99, 0xAA};
  EXPECT_EQ(systemRecordWrites(), std::vector<std::vector<std::uint8_t>>{expected});
  EXPECT_EQ(device.deviceId(), 12);
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{"DeviceID change to 12"});
  EXPECT_EQ(form->sessions.address.DeviceId, 12);
  EXPECT_EQ(form->sessions.address.BusAddress, 0x0B);
  EXPECT_EQ(form->areas.RzComboBox6->currentIndex(), 11);
  EXPECT_EQ(form->areas.RzEdit2->text(), "12");

  bus.clearWrites(kPort);
  const int repliesBefore = device.repliesSent();
  scheduler.advanceMs(5000);
  const std::vector<int> polls = probes(kPort);
  EXPECT_GE(polls.size(), 9u);
  for (int address : polls) EXPECT_EQ(address, 0x0B);
  EXPECT_GE(device.repliesSent() - repliesBefore, static_cast<int>(polls.size()) - 1);
  EXPECT_TRUE(connectedCaption());
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

// Moving a device onto a DeviceId another device answers to left both unreachable: their replies
// collide on the line. The new DeviceId is probed first; the move is refused while a device
// answers there, even late.
TEST_F(SetDeviceId, ADeviceIdInUseIsRefusedAfterOneProbe) {
  DeviceModel& other = addDevice(5);
  other.faults().lateByUs = 300'000;
  DeviceModel& device = connectToDevice3();
  const std::int64_t clickedMs = scheduler.nowMs();
  enter("5");
  EXPECT_GE(scheduler.nowMs() - clickedMs, DeviceIdSession::kProbeWaitMs) << "the probe's wait";
  EXPECT_EQ(dialogs.messageTexts(),
            std::vector<std::string>{"DeviceId 5 is already in use on this bus."});
  EXPECT_EQ(form->areas.RzEdit2->text(), "3");
  scheduler.advanceMs(1000);
  EXPECT_TRUE(systemRecordWrites().empty());
  EXPECT_EQ(device.deviceId(), 3);
  EXPECT_EQ(form->sessions.address.BusAddress, 0x02);
  EXPECT_TRUE(form->sessions.timers.Timer1.isActive()) << "the poll goes on after the probe";
  const std::vector<int> polls = probes(kPort);
  EXPECT_EQ(std::count(polls.begin(), polls.end(), 0x04), 1) << "one probe of DeviceId 5";

  // A free DeviceId is taken after the same probe.
  enter("6");
  scheduler.advanceMs(1000);
  EXPECT_EQ(systemRecordWrites().size(), 1u);
  EXPECT_EQ(device.deviceId(), 6);
  EXPECT_EQ(dialogs.messageTexts().back(), "DeviceID change to 6");
}

TEST_F(SetDeviceId, NumbersOutside1To255AreRefusedAndTheFieldShowsTheDeviceIdAgain) {
  DeviceModel& device = connectToDevice3();
  for (const char* text : {"0", "256", "", "99999999999"}) {
    enter(text);
    EXPECT_EQ(form->areas.RzEdit2->text(), "3") << text;
  }
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>(4, "Please input 1~255 number."));
  scheduler.advanceMs(1000);
  EXPECT_TRUE(systemRecordWrites().empty());
  EXPECT_EQ(form->sessions.address.BusAddress, 0x02);
  EXPECT_EQ(device.deviceId(), 3);
}

TEST_F(SetDeviceId, TheFieldTakesOnlyDigitsAndEnterPressesOk) {
  DeviceModel& device = connectToDevice3();
  // Typed keys and pasted text pass the field's validator; key events themselves are left out,
  // since the input device Qt makes for them outlives its own device list at the test's exit.
  QLineEdit* field = form->areas.RzEdit2;
  const QValidator* validator = field->validator();
  ASSERT_NE(validator, nullptr);
  for (QString text : {"2", "25", "", "0255"}) {
    int pos = 0;
    EXPECT_EQ(validator->validate(text, pos), QValidator::Acceptable) << text.toStdString();
  }
  for (QString text : {"2-", "a", "2.5", "2,5", " 2", "+2", "-2"}) {
    int pos = 0;
    EXPECT_EQ(validator->validate(text, pos), QValidator::Invalid) << text.toStdString();
  }
  field->setText("2");
  emit field->returnPressed();
  scheduler.advanceMs(1000);
  ASSERT_EQ(systemRecordWrites().size(), 1u);
  EXPECT_EQ(device.deviceId(), 2);
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{"DeviceID change to 2"});
}

TEST_F(SetDeviceId, WhileDisconnectedItSaysSoAndSendsNothing) {
  addDevice(1);
  startAndSettle();
  enter("12");
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{"Disconnect."});
  scheduler.advanceMs(1000);
  EXPECT_TRUE(written().empty());
  EXPECT_EQ(form->sessions.address.DeviceId, 1);
  EXPECT_EQ(form->sessions.address.BusAddress, 0x00);
}

TEST_F(SetDeviceId, WithoutAnAcknowledgementNothingIsShown) {
  DeviceModel& device = connectToDevice3();
  device.faults().silent = true;  // answers nothing
  enter("12");
  scheduler.advanceMs(1000);
  EXPECT_EQ(systemRecordWrites().size(), 1u);
  EXPECT_EQ(form->sessions.flags.IdAckAwaited, 1);
  EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace lyra::test
