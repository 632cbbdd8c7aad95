#include "editing/LevelEditing.h"

#include <algorithm>

#include "edits/ChannelFrames.h"
#include "edits/TypedEdits.h"

namespace lyra {

namespace {
constexpr int kMuted = LevelPanel::kMutedPosition;
}

LevelEditing::LevelEditing(EditingContext& context, LevelPanel& panel)
    : c_(context), panel_(panel) {
  QObject::connect(panel_.TrackBar1, &QSlider::valueChanged, [this] { TrackBar1Change(); });
  QObject::connect(panel_.btn1, &QPushButton::clicked, [this] { btn1Click(); });
  QObject::connect(panel_.RzButton6, &QPushButton::clicked, [this] { RzButton6Click(); });
  QObject::connect(panel_.trckbr1, &QSlider::valueChanged, [this] { trckbr1Change(); });
  QObject::connect(panel_.btn3, &QPushButton::clicked, [this] { btn3Click(); });
  QObject::connect(panel_.btn2, &QPushButton::clicked, [this] { btn2Click(); });
  const TypedEntry::Field level = {
      .allowMinus = true, .enterRearms = true, .selectAllWhenUnparsable = true, .accept = {}};
  TypedEntry::Field system = level;
  system.accept = [this](QLineEdit*) { edt3Exit(); };
  TypedEntry::Field satellite = level;
  satellite.accept = [this](QLineEdit*) { edt2Exit(); };
  c_.typed.add(panel_.edt3, system);
  c_.typed.add(panel_.edt2, satellite);
}

void LevelEditing::sendMain() {
  sendChannel(c_.pump, c_.image, Way::Main, c_.address.BusAddress);
}
void LevelEditing::sendHigh() {
  sendChannel(c_.pump, c_.image, Way::High, c_.address.BusAddress);
}

void LevelEditing::showSystemLevel(int position) {
  // "Mute" at 301, else -0.2 x position dB.
  const QString text =
      QString::fromStdString(SystemLevelText(static_cast<std::uint16_t>(kMuted - position)));
  panel_.Label1->setText(text);
  c_.typed.showValue(panel_.edt3, text);
}

void LevelEditing::applySystemLevel(int position) {
  showSystemLevel(position);
  storeSystemLevel(c_.image.main, position, fromMute_);
  ui::setButtonColour(panel_.btn1, position == kMuted ? ui::kMutedRed : ui::kNormalGrey);
  fromMute_ = false;
  sendMain();
}

void LevelEditing::TrackBar1Change() {
  if (c_.state.refreshing) return;  // the program itself is moving the slider
  applySystemLevel(panel_.TrackBar1->value());
}

void LevelEditing::btn1Click() {
  MainSettings& main = c_.image.main;
  fromMute_ = true;
  pressSystemMute(main);
  panel_.TrackBar1->setValue(kMuted - main.systemLevel);
  ui::setButtonColour(panel_.btn1, main.systemLevel != 0 ? ui::kNormalGrey : ui::kMutedRed);
  // The flag lives only while this handler moves the slider; left set (the slider did not move),
  // it would keep the next slider move from being remembered.
  fromMute_ = false;
  sendMain();
}

void LevelEditing::togglePolarity(Way way, QPushButton* button) {
  std::uint8_t& polarity = c_.image.way(way).polarity;
  polarity = polarity == 1 ? 0 : 1;
  showPolarity(button, polarity);
}

void LevelEditing::RzButton6Click() {
  togglePolarity(Way::Main, panel_.RzButton6);
  sendMain();
}

void LevelEditing::edt3Exit() {
  const std::optional<TypedNumber> typed = TypedEntry::number(panel_.edt3);
  if (!typed) {
    if (panel_.TrackBar1->value() == kMuted) panel_.Label1->setText("Mute");
    c_.typed.showValue(panel_.edt3, panel_.Label1->text());
    return;
  }
  const int position = SystemSliderPositionFromTyped(*typed);  // 0..300: typing never mutes
  panel_.TrackBar1->setValue(position);
  applySystemLevel(position);
}

void LevelEditing::systemLevelChosen(int position) {
  // The slider's own handler would send once more; the level goes out once, from here.
  c_.state.refreshing = true;
  panel_.TrackBar1->setValue(position);
  c_.state.refreshing = false;
  applySystemLevel(position);
}

void LevelEditing::showSatelliteLevel(int position) {
  const QString text = QString::fromStdString(OutputLevelText(static_cast<std::uint8_t>(position)));
  panel_.lbl6->setText(text);
  c_.typed.showValue(panel_.edt2, text);
}

void LevelEditing::applySatelliteLevel(int position) {
  showSatelliteLevel(position);
  c_.image.way(Way::High).level = static_cast<std::uint8_t>(position);
  sendHigh();
}

void LevelEditing::trckbr1Change() {
  applySatelliteLevel(panel_.trckbr1->value());
}

void LevelEditing::btn3Click() {
  std::uint8_t& unmuted = c_.image.way(Way::High).unmuted;
  unmuted = unmuted == 1 ? 0 : 1;
  ui::setButtonColour(panel_.btn3, unmuted == 1 ? ui::kNormalGrey : ui::kMutedRed);
  sendHigh();
}

void LevelEditing::btn2Click() {
  togglePolarity(Way::High, panel_.btn2);
  sendHigh();
}

void LevelEditing::edt2Exit() {
  const std::optional<TypedNumber> typed = TypedEntry::number(panel_.edt2);
  if (!typed) {
    c_.typed.showValue(panel_.edt2, panel_.lbl6->text());
    return;
  }
  const int position = SatelliteLevelFromTyped(*typed);
  panel_.trckbr1->setValue(position);
  applySatelliteLevel(position);
}

}  // namespace lyra
