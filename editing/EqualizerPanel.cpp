#include "editing/EqualizerPanel.h"

#include "edits/ValueNames.h"
#include "graph/GraphDrawing.h"
#include "model/ParameterScales.h"
#include "model/ValueFormat.h"

namespace lyra {

namespace {

struct RowNames {
  const char *frequency, *q, *gain, *type, *frequencySpin, *qSpin, *gainSpin, *bypass;
  const char* frequencyText;
};

constexpr RowNames kNames[kBandsPerWay] = {
    {"RzEdit94", "RzEdit99", "RzEdit106", "RzComboBox66", "RzSpinButtons82", "RzSpinButtons75",
     "RzSpinButtons70", "RzCheckBox1", "19.7"},
    {"RzEdit95", "RzEdit102", "RzEdit107", "RzComboBox67", "RzSpinButtons83", "RzSpinButtons78",
     "RzSpinButtons71", "RzCheckBox2", "50"},
    {"RzEdit96", "RzEdit103", "RzEdit108", "RzComboBox72", "RzSpinButtons84", "RzSpinButtons79",
     "RzSpinButtons72", "RzCheckBox3", "100"},
    {"RzEdit97", "RzEdit104", "RzEdit109", "RzComboBox73", "RzSpinButtons85", "RzSpinButtons80",
     "RzSpinButtons73", "RzCheckBox4", "198"},
    {"RzEdit98", "RzEdit105", "RzEdit110", "RzComboBox74", "RzSpinButtons86", "RzSpinButtons81",
     "RzSpinButtons74", "RzCheckBox5", "500"},
    {"RzEdit111", "RzEdit112", "RzEdit113", "RzComboBox75", "RzSpinButtons87", "RzSpinButtons88",
     "RzSpinButtons89", "RzCheckBox6", "1000"},
};

QStringList bandTypeItems() {
  QStringList items;
  for (std::string_view name : kBandTypeNames)
    items << QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  return items;
}

}  // namespace

EqualizerPanel::EqualizerPanel(QWidget* page, const PresetImage& image) : image_(image) {
  box = ui::group(page, "EqualizerBox", "SYSTEM EQUALIZATION", {0, 0, 420, 276});
  // Each edit is wide enough for the longest value of its scale ("10000 Hz", "-24.0 dB"), with
  // its arrows beside it.
  ui::label(box, "FrequencyCaption", "  Frequency ", {30, 18, 90, 16});
  ui::label(box, "QCaption", "   Q Value   ", {118, 18, 76, 16});
  ui::label(box, "GainCaption", "       Gain     ", {194, 18, 76, 16});
  ui::label(box, "TypeCaption", "     Type     ", {282, 18, 66, 16});
  for (int r = 0; r < kBandsPerWay; ++r) {
    const RowNames& n = kNames[r];
    const int y = 38 + 32 * r;
    Row& row = rows[static_cast<size_t>(r)];
    row.caption = ui::label(box, qPrintable(QString("RowCaption%1").arg(r + 1)),
                            QString(" %1 ").arg(r + 1), {6, y + 2, 20, 20});
    row.caption->setAutoFillBackground(true);
    QPalette p = row.caption->palette();
    p.setColor(QPalette::Window, QColor(kBandColours[static_cast<size_t>(r)]));
    p.setColor(QPalette::WindowText, r == 5 || r == 1 ? Qt::white : Qt::black);
    row.caption->setPalette(p);
    row.frequency = ui::edit(box, n.frequency, n.frequencyText, {30, y, 66, 24});
    row.frequencySpin = ui::spinButtons(box, n.frequencySpin, {97, y + 2, 24, 20});
    row.q = ui::edit(box, n.q, "1.00", {124, y, 42, 24});
    row.qSpin = ui::spinButtons(box, n.qSpin, {167, y + 2, 24, 20});
    row.gain = ui::edit(box, n.gain, "0", {194, y, 60, 24});
    row.gainSpin = ui::spinButtons(box, n.gainSpin, {255, y + 2, 24, 20});
    row.type = ui::dropDown(box, n.type, bandTypeItems(), {283, y, 63, 24});
    row.bypass = ui::checkBox(box, n.bypass, "Bypass", {350, y + 2, 66, 20});
    const QString band = QString("Band %1").arg(r + 1);
    ui::describe(row.frequency, band + " frequency", "19.7 to 21900 Hz; Up and Down step it");
    ui::describe(row.frequencySpin, band + " frequency");
    ui::describe(row.q, band + " Q", "0.2 to 36; Up and Down step it");
    ui::describe(row.qSpin, band + " Q");
    ui::describe(row.gain, band + " gain", "-24 to +12 dB; Up and Down step it");
    ui::describe(row.gainSpin, band + " gain");
    ui::describe(row.type, band + " type", "PEQ, LS (low shelf) or HS (high shelf)");
    ui::describe(row.bypass, band + " bypass", "sends the band flat and keeps its gain");
    ui::stepWithArrowKeys(row.frequency, row.frequencySpin);
    ui::stepWithArrowKeys(row.q, row.qSpin);
    ui::stepWithArrowKeys(row.gain, row.gainSpin);
  }
  RzButton97 = ui::button(box, "RzButton97", "Filters reset", {30, 236, 120, 28});
  RzButton98 = ui::button(box, "RzButton98", "Bass Enhancer", {206, 236, 140, 28});
  ui::setButtonColour(RzButton97, ui::kNormalGrey);
  ui::setButtonColour(RzButton98, ui::kNormalGrey);
  ui::describe(RzButton97, "Filters reset", "sets the six gains to 0 dB");
  ui::describe(RzButton98, "Bass Enhancer");
  ui::describeStates(RzButton98, "off", "on");
}

void EqualizerPanel::fill(Way way) {
  for (int r = 0; r < kBandsPerWay; ++r) {
    const EqBand& band = image_.band(ToBandSlot(way, r));
    Row& row = rows[static_cast<size_t>(r)];
    row.frequency->setText(QString::fromStdString(
        FormatFrequency(ValueOf(FrequencyScale, band.frequency))));
    row.q->setText(QString::fromStdString(FormatQ(ValueOf(QScale, band.q))));
    row.gain->setText(
        QString::fromStdString(FormatDb(ValueOf(GainScale, EffectiveGain(band)))));
    row.type->setCurrentIndex(band.type);
  }
}

void EqualizerPanel::clearBypass() {
  suppressBypassClicks = true;
  for (Row& row : rows) row.bypass->setChecked(false);
  suppressBypassClicks = false;
}

void EqualizerPanel::showBassEnhancer(std::uint8_t bassEnhancer) {
  if (bassEnhancer == 0) ui::setButtonColour(RzButton98, ui::kNormalGrey);
  if (bassEnhancer == 1) ui::setButtonColour(RzButton98, ui::kMutedRed);
}

}  // namespace lyra
