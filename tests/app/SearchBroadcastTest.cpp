// BroadcastMode: BusAddress 0xFF, the narrowed connection area, the doubled slot frames and a
// watchdog that never disconnects.

#include "editing/Controls.h"
#include "tests/app/SearchFixture.h"

namespace lyra::test {
namespace {

class Broadcast : public SearchFixture {
 protected:
  void clickMode() { form->areas.RzButton8->click(); }
  QRect geometryOf(QWidget* w) const { return w->geometry(); }
};

TEST_F(Broadcast, OnHidesTheDeviceIdListAndAddressesEveryoneOffRestoresTheDeviceId) {
  startAndSettle();
  WindowAreas& a = form->areas;
  a.RzComboBox6->setCurrentIndex(6);  // DeviceId 7
  const QRect area = a.GroupBox2->geometry(), connect = a.Button3->geometry(),
              picture = a.connectionPicture->geometry(), mode = a.RzButton8->geometry();

  clickMode();
  EXPECT_TRUE(form->sessions.address.BroadcastMode);
  EXPECT_EQ(form->sessions.address.BusAddress, 0xFF);
  EXPECT_FALSE(shown(a.RzComboBox6));
  EXPECT_FALSE(shown(a.deviceIdCaption));
  EXPECT_FALSE(shown(a.GroupBox3));
  EXPECT_EQ(ui::buttonColour(a.RzButton8), QColor(0, 128, 0));
  EXPECT_EQ(a.GroupBox2->geometry().top(), 90);
  EXPECT_EQ(a.GroupBox2->geometry().width(), 215);
  EXPECT_EQ(a.Button3->geometry().top(), 31);
  EXPECT_EQ(a.connectionPicture->geometry().top(), 29);
  // What stays usable lies inside the narrowed area, without overlapping.
  const QRect inside(0, 0, 215, a.GroupBox2->height());
  for (QWidget* w :
       {static_cast<QWidget*>(a.Button3), static_cast<QWidget*>(a.RzButton8),
        static_cast<QWidget*>(a.RzComboBox1), static_cast<QWidget*>(a.connectionPicture)}) {
    EXPECT_TRUE(inside.contains(w->geometry())) << w->objectName().toStdString();
  }
  EXPECT_FALSE(a.RzComboBox1->geometry().intersects(a.connectionPicture->geometry()));
  EXPECT_FALSE(a.RzButton8->geometry().intersects(a.Button3->geometry()));

  clickMode();
  EXPECT_FALSE(form->sessions.address.BroadcastMode);
  EXPECT_EQ(form->sessions.address.BusAddress, 6);
  EXPECT_TRUE(shown(a.RzComboBox6));
  EXPECT_TRUE(shown(a.deviceIdCaption));
  EXPECT_TRUE(shown(a.GroupBox3));
  EXPECT_EQ(ui::buttonColour(a.RzButton8), QColor(224, 224, 224));
  EXPECT_EQ(a.GroupBox2->geometry(), area);
  EXPECT_EQ(a.Button3->geometry(), connect);
  EXPECT_EQ(a.connectionPicture->geometry(), picture);
  EXPECT_EQ(a.RzButton8->geometry(), mode);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Broadcast, CannotBeSwitchedWhileConnected) {
  addDevice(1);
  startAndSettle();
  clickConnect();
  scheduler.advanceMs(2500);
  ASSERT_TRUE(connectedCaption());
  clickMode();
  EXPECT_EQ(dialogs.messageTexts(), std::vector<std::string>{"Please disconnect."});
  EXPECT_FALSE(form->sessions.address.BroadcastMode);
  EXPECT_EQ(form->sessions.address.BusAddress, 0x00);
  EXPECT_TRUE(shown(form->areas.RzComboBox6));
}

TEST_F(Broadcast, AConnectionWritesEachSlotFrameTwiceAndSurvivesMinutesWithoutReplies) {
  DeviceModel& device = addDevice(1);
  device.faults().silent = true;
  startAndSettle();
  const int heardAtStart = device.framesTaken();  // the start-up search's probe
  clickMode();
  clickConnect();  // the confirmation is answered Yes
  scheduler.advanceMs(100);
  ASSERT_TRUE(connectedCaption());
  EXPECT_TRUE(shown(form->areas.initialDataBox));

  // What a group operation does: a slot frame, then the pump.
  const RowPayload row = {0, 0, 120, 0, 0, 0, 0, 0};
  const Frame frame = parameterWrite(0xFF, group::kMainChannel, 0, row);
  form->sessions.pump.queueParameterWrite(kMainChannelSlot, frame);
  form->sessions.timers.sendTimer.start();
  scheduler.advanceMs(3 * 60 * 1000);

  const auto w = written();
  ASSERT_GE(w.size(), 2u);
  EXPECT_EQ(w[0].second, frame);
  EXPECT_EQ(w[1].second, frame);
  EXPECT_EQ(w[1].first, w[0].first);  // back to back
  EXPECT_EQ(device.framesTaken() - heardAtStart, static_cast<int>(w.size()));
  // Then the poll to everyone every 500 ms, unanswered and never given up.
  const std::vector<int> polls = probes(kPort);
  EXPECT_GE(polls.size(), 350u);
  for (int address : polls) EXPECT_EQ(address, 0xFF);
  EXPECT_TRUE(connectedCaption());
  EXPECT_TRUE(form->sessions.link.PortOpen());
  EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace lyra::test
