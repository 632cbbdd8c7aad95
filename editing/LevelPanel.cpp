#include "editing/LevelPanel.h"

#include <algorithm>

#include "edits/ValueNames.h"
#include "model/ValueFormat.h"

namespace lyra {

void showPolarity(QPushButton* button, std::uint8_t polarity) {
  const std::string_view caption = PolarityText(polarity);
  button->setText(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
  ui::setButtonColour(button, polarity != 0 ? ui::kInvertedYellow : ui::kNormalGrey);
}

LevelPanel::LevelPanel(QWidget* page, const PresetImage& image, EditingState& state)
    : image_(image), state_(state) {
  systemBox = ui::group(page, "SystemLevelBox", "SYSTEM", {424, 150, 128, 126});
  // The slider with its scale captions above and below it, the controls beside it.
  QFont small("Arial", 7);
  ui::label(systemBox, "Label2", "0 dB", {4, 16, 40, 12})->setFont(small);
  TrackBar1 = ui::slider(systemBox, "TrackBar1", Qt::Vertical, kMutedPosition, kMutedPosition,
                         {10, 30, 22, 76});
  TrackBar1->setInvertedAppearance(true);  // position 0 (0 dB) at the top
  TrackBar1->setInvertedControls(true);
  ui::label(systemBox, "Label4", "-60 dB", {4, 108, 44, 12})->setFont(small);
  ui::label(systemBox, "lbl10", "LEVEL", {46, 14, 76, 16});
  btn1 = ui::button(systemBox, "btn1", "Mute", {46, 32, 76, 22});
  QLabel* levelCaption = ui::label(systemBox, "Label3", "Level", {46, 56, 76, 14});
  levelCaption->setFont(small);
  edt3 = ui::edit(systemBox, "edt3", "Mute", {46, 70, 76, 22});
  RzButton6 = ui::button(systemBox, "RzButton6", "Pol(+)", {46, 96, 76, 24});
  Label1 = ui::label(systemBox, "Label1", "Mute", {0, 0, 0, 0});
  Label1->hide();
  ui::setButtonColour(btn1, ui::kNormalGrey);
  ui::setButtonColour(RzButton6, ui::kNormalGrey);

  satelliteBox = ui::group(page, "SatelliteLevelBox", "SATELLITE LEVEL", {556, 214, 180, 62});
  ui::label(satelliteBox, "lbl7", "-20dB", {6, 14, 40, 10})->setFont(QFont("Arial", 6));
  ui::label(satelliteBox, "lbl8", "+5dB", {80, 14, 30, 10})->setFont(QFont("Arial", 6));
  trckbr1 = ui::slider(satelliteBox, "trckbr1", Qt::Horizontal, 250, 200, {6, 22, 100, 14});
  edt2 = ui::edit(satelliteBox, "edt2", "0.0 dB", {6, 36, 66, 22});
  btn3 = ui::button(satelliteBox, "btn3", "Mute", {110, 14, 64, 22});
  btn2 = ui::button(satelliteBox, "btn2", "Pol(+)", {110, 36, 64, 22});
  lbl6 = ui::label(satelliteBox, "lbl6", "0.0 dB", {0, 0, 0, 0});
  lbl6->hide();
  ui::setButtonColour(btn3, ui::kNormalGrey);
  ui::setButtonColour(btn2, ui::kNormalGrey);

  levelCaption->setBuddy(edt3);
  ui::describe(TrackBar1, "System level slider", "0 dB at the top to -60 dB; the bottom mutes");
  ui::describe(edt3, "System level", "0 to -60 dB");
  ui::describe(btn1, "System mute");
  ui::describe(RzButton6, "System polarity");
  ui::describe(trckbr1, "Satellite level slider", "-20 to +5 dB");
  ui::describe(edt2, "Satellite level", "-20 to +5 dB");
  ui::describe(btn3, "Satellite mute");
  ui::describe(btn2, "Satellite polarity");
  for (QPushButton* mute : {btn1, btn3}) ui::describeStates(mute, "not muted", "muted");
  for (QPushButton* polarity : {RzButton6, btn2}) ui::describeStates(polarity, "normal", "inverted");
}

void LevelPanel::showFromImage() {
  const WaySettings& high = image_.way(Way::High);
  trckbr1->blockSignals(true);
  trckbr1->setValue(high.level);
  trckbr1->blockSignals(false);
  const QString satellite = QString::fromStdString(OutputLevelText(high.level));
  edt2->setText(satellite);
  lbl6->setText(satellite);
  ui::setButtonColour(btn3, high.unmuted != 0 ? ui::kNormalGrey : ui::kMutedRed);
  showPolarity(btn2, high.polarity);

  const std::uint16_t level = image_.main.systemLevel;
  ui::setButtonColour(btn1, level != 0 ? ui::kNormalGrey : ui::kMutedRed);
  state_.refreshing = true;
  TrackBar1->setValue(kMutedPosition - std::min<int>(level, kMutedPosition));
  state_.refreshing = false;
  const QString system = QString::fromStdString(SystemLevelText(level));
  Label1->setText(system);
  edt3->setText(system);
  showPolarity(RzButton6, image_.way(Way::Main).polarity);
}

}  // namespace lyra
