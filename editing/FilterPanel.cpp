#include "editing/FilterPanel.h"

#include "model/ParameterScales.h"
#include "edits/ValueNames.h"
#include "model/ValueFormat.h"

namespace lyra {

const QStringList FilterPanel::kFilterTypes = [] {
  QStringList names;
  for (std::string_view name : kFilterTypeNames)
    names << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  return names;
}();

FilterPanel::FilterPanel(QWidget* page, const PresetImage& image) : image_(image) {
  box = ui::group(page, "FilterBox", "HIGH PASS/LOW PASS", {424, 0, 312, 84});
  QLabel* hpf = ui::label(box, "HpfCaption", "HPF", {8, 22, 30, 20});
  RzEdit205 = ui::edit(box, "RzEdit205", "19.7", {40, 20, 76, 24});
  RzSpinButtons181 = ui::spinButtons(box, "RzSpinButtons181", {118, 22, 28, 20});
  RzComboBox69 = ui::dropDown(box, "RzComboBox69", kFilterTypes, {152, 20, 150, 24});
  QLabel* lpf = ui::label(box, "LpfCaption", "LPF", {8, 52, 30, 20});
  RzEdit206 = ui::edit(box, "RzEdit206", "21900", {40, 50, 76, 24});
  RzSpinButtons182 = ui::spinButtons(box, "RzSpinButtons182", {118, 52, 28, 20});
  RzComboBox71 = ui::dropDown(box, "RzComboBox71", kFilterTypes, {152, 50, 150, 24});
  hpf->setBuddy(RzEdit205);
  lpf->setBuddy(RzEdit206);
  const QString range = "19.7 to 21900 Hz; Up and Down step it";
  ui::describe(RzEdit205, "High-pass frequency", range);
  ui::describe(RzSpinButtons181, "High-pass frequency");
  ui::describe(RzComboBox69, "High-pass type", "slope in dB per octave and filter family");
  ui::describe(RzEdit206, "Low-pass frequency", range);
  ui::describe(RzSpinButtons182, "Low-pass frequency");
  ui::describe(RzComboBox71, "Low-pass type", "slope in dB per octave and filter family");
  ui::stepWithArrowKeys(RzEdit205, RzSpinButtons181);
  ui::stepWithArrowKeys(RzEdit206, RzSpinButtons182);
}

void FilterPanel::fill(Way way) {
  const WaySettings& w = image_.way(way);
  RzEdit205->setText(
      QString::fromStdString(FormatFrequency(ValueOf(FrequencyScale, w.hpfFrequency))));
  RzEdit206->setText(
      QString::fromStdString(FormatFrequency(ValueOf(FrequencyScale, w.lpfFrequency))));
  RzComboBox69->setCurrentIndex(w.hpfType);
  RzComboBox71->setCurrentIndex(w.lpfType);
}

}  // namespace lyra
