#pragma once
// The behaviour of "HIGH PASS/LOW PASS": typed frequencies, spin buttons and the nine-item type
// lists of the SelectedWay's high-pass and low-pass filters. Every change redraws the changed
// filter and sends the Way's filter row, which always carries both filters. The high-pass may
// lie above the low-pass: the device accepts it and so does the panel.

#include "editing/EditingContext.h"
#include "editing/FilterPanel.h"

namespace lyra {

class FilterEditing {
 public:
  FilterEditing(EditingContext& context, FilterPanel& panel);

  // RzEdit205Exit / RzEdit205KeyPress (Enter), RzEdit206Exit / RzEdit206KeyPress (Enter).
  void frequencyAccepted(FilterEdge edge);
  // RzSpinButtons181DownLeftClick .. RzSpinButtons182UpRightClick (step -1 or +1).
  void spinClick(FilterEdge edge, int step);
  // RzComboBox69Change (high-pass) and RzComboBox71Change (low-pass).
  void typeChange(FilterEdge edge);

 private:
  std::uint8_t& frequencyOf(FilterEdge edge);
  QLineEdit* editOf(FilterEdge edge) const;
  void showFrequency(FilterEdge edge);
  void redrawAndSend(FilterEdge edge);

  EditingContext& c_;
  FilterPanel& panel_;
};

}  // namespace lyra
