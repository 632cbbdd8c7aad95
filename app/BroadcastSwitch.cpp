#include "app/BroadcastSwitch.h"

#include "editing/Controls.h"

namespace lyra {

namespace {

// In BroadcastMode the connection area moves down to top 90 and narrows to 215 pixels; the
// connect button and the picture move up into the row the DeviceId list leaves.
constexpr int kBroadcastAreaTop = 90;
constexpr int kBroadcastAreaWidth = 215;
// It ends where the response graph begins, so no part of it hides under the graph.
constexpr int kBroadcastAreaHeight = 94;
constexpr int kBroadcastConnectTop = 31;
constexpr int kBroadcastPictureTop = 29;
constexpr int kGap = 4;

}  // namespace

BroadcastSwitch::BroadcastSwitch(WindowAreas& areas, SerialLink& link, BusAddressing& address,
                                 Dialogs& dialogs)
    : a_(areas), link_(link), address_(address), dialogs_(dialogs) {
  normal_ = {a_.GroupBox2->geometry(), a_.Button3->geometry(), a_.connectionPicture->geometry(),
             a_.RzComboBox1->geometry(), a_.RzButton8->geometry()};
  broadcast_ = normal_;
  broadcast_.area.moveTop(kBroadcastAreaTop);
  broadcast_.area.setWidth(kBroadcastAreaWidth);
  broadcast_.area.setHeight(kBroadcastAreaHeight);
  broadcast_.connect.moveTop(kBroadcastConnectTop);
  broadcast_.picture.moveTop(kBroadcastPictureTop);
  // The picture now stands beside the port list: the list gives up the room.
  broadcast_.portList.setRight(broadcast_.picture.left() - kGap);
  // The mode button would lie beyond the narrowed area; it takes the DeviceId list's row, so the
  // mode can always be switched off again.
  broadcast_.modeButton.moveTopLeft({kGap * 2, broadcast_.portList.bottom() + kGap * 2});
  broadcast_.modeButton.setHeight(kBroadcastAreaHeight - broadcast_.modeButton.top() - kGap * 2);
  QObject::connect(a_.RzButton8, &QPushButton::clicked, [this] { RzButton8Click(); });
}

void BroadcastSwitch::RzButton8Click() {
  if (link_.PortOpen()) {
    dialogs_.message("Please disconnect.");
    return;
  }
  if (address_.BroadcastMode) {
    switchOff();
  } else {
    switchOn();
  }
}

void BroadcastSwitch::place(const Placement& p) {
  a_.GroupBox2->setGeometry(p.area);
  a_.Button3->setGeometry(p.connect);
  a_.connectionPicture->setGeometry(p.picture);
  a_.RzComboBox1->setGeometry(p.portList);
  a_.RzButton8->setGeometry(p.modeButton);
}

void BroadcastSwitch::switchOff() {
  place(normal_);
  a_.GroupBox3->show();
  a_.deviceIdCaption->show();
  a_.RzComboBox6->show();
  address_.BroadcastMode = false;
  address_.BusAddress = BusAddressing::busAddressOf(address_.DeviceId);
  ui::setButtonColour(a_.RzButton8, ui::kNormalGrey);
}

void BroadcastSwitch::switchOn() {
  place(broadcast_);
  a_.GroupBox3->hide();
  a_.deviceIdCaption->hide();
  a_.RzComboBox6->hide();
  address_.BroadcastMode = true;
  address_.BusAddress = kBroadcastAddress;
  ui::setButtonColour(a_.RzButton8, ui::kBroadcastGreen);
}

}  // namespace lyra
