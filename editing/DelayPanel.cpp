#include "editing/DelayPanel.h"

#include "model/ParameterScales.h"
#include "model/ValueFormat.h"

namespace lyra {

namespace {
constexpr int kMainWay = 3;
}

DelayPanel::DelayPanel(QWidget* page, const PresetImage& image, EditingState& state)
    : image_(image), state_(state) {
  systemBox = ui::group(page, "SystemDelayBox", "SYSTEM DELAY", {424, 86, 312, 62});
  ScrollBar1 = ui::scrollBar(systemBox, "ScrollBar1", kMaxDelaySteps, {8, 18, 296, 16});
  RzEdit18 = ui::edit(systemBox, "RzEdit18", "0.000 ms", {8, 36, 86, 22});
  RzLabel3 = ui::label(systemBox, "RzLabel3", "0.000 m", {110, 38, 80, 18});
  RzLabel20 = ui::label(systemBox, "RzLabel20", "0.000 ft", {200, 38, 80, 18});
  lbl9 = ui::label(systemBox, "lbl9", "0.000 ms", {0, 0, 0, 0});
  lbl9->hide();

  satelliteBox = ui::group(page, "SatelliteDelayBox", "SATELLITE DELAY", {556, 150, 180, 62});
  scrlbr1 = ui::scrollBar(satelliteBox, "scrlbr1", kMaxDelaySteps, {6, 18, 168, 16});
  edt1 = ui::edit(satelliteBox, "edt1", "0.000 ms", {6, 36, 64, 22});
  lbl1 = ui::label(satelliteBox, "lbl1", "0.000 m", {74, 38, 50, 18});
  lbl2 = ui::label(satelliteBox, "lbl2", "0.000 ft", {124, 38, 54, 18});
  lbl1->setFont(QFont("Arial", 8));
  lbl2->setFont(QFont("Arial", 8));
  lbl4 = ui::label(satelliteBox, "lbl4", "0.000 ms", {0, 0, 0, 0});
  lbl4->hide();

  const QString range = "0 to 8.547 ms in steps of 0.021 ms";
  ui::describe(ScrollBar1, "System delay slider", range);
  ui::describe(RzEdit18, "System delay", range);
  ui::describe(scrlbr1, "Satellite delay slider", range);
  ui::describe(edt1, "Satellite delay", range);
  // The distance labels keep their values as their names; the description says what they are.
  RzLabel3->setAccessibleDescription("system delay in metres");
  RzLabel20->setAccessibleDescription("system delay in feet");
  lbl1->setAccessibleDescription("satellite delay in metres");
  lbl2->setAccessibleDescription("satellite delay in feet");
}

void DelayPanel::showDelay(int steps, QLineEdit* edit, QLabel* hidden, QLabel* metres,
                           QLabel* feet) {
  const QString ms = QString::fromStdString(FormatMs(DelayMs(steps)));
  edit->setText(ms);
  hidden->setText(ms);
  metres->setText(QString::fromStdString(FormatMetres(DelayMetres(steps))));
  feet->setText(QString::fromStdString(FormatFeet(DelayFeet(steps))));
}

void DelayPanel::RzButton5Click() {
  state_.SelectedWay = kMainWay;
  state_.refreshing = true;
  const int steps = image_.way(Way::Main).delaySteps;
  ScrollBar1->setValue(steps);
  showDelay(steps, RzEdit18, lbl9, RzLabel3, RzLabel20);
  state_.refreshing = false;
}

void DelayPanel::showSatelliteFromImage() {
  const int steps = image_.way(Way::High).delaySteps;
  scrlbr1->blockSignals(true);
  scrlbr1->setValue(steps);
  scrlbr1->blockSignals(false);
  showDelay(steps, edt1, lbl4, lbl1, lbl2);
}

}  // namespace lyra
