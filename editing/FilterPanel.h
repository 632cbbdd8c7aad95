#pragma once
// "HIGH PASS/LOW PASS": the SelectedWay's high-pass and low-pass filters.

#include "editing/Controls.h"
#include "preset/PresetImage.h"

namespace lyra {

class FilterPanel {
 public:
  // Item index = 3 x slope (12, 18, 24 dB per octave) + family (Butterworth, LR, Bessel).
  static const QStringList kFilterTypes;

  FilterPanel(QWidget* page, const PresetImage& image);
  // Both frequency edits and both type lists from the Way's fields; sends nothing.
  void fill(Way way);

  QGroupBox* box;
  QLineEdit* RzEdit205;               // high-pass frequency
  SpinButtons RzSpinButtons181;       // high-pass frequency steps
  QComboBox* RzComboBox69;            // high-pass type
  QLineEdit* RzEdit206;               // low-pass frequency
  SpinButtons RzSpinButtons182;       // low-pass frequency steps
  QComboBox* RzComboBox71;            // low-pass type

 private:
  const PresetImage& image_;
};

}  // namespace lyra
