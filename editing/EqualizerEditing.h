#pragma once
// The behaviour of "SYSTEM EQUALIZATION": typed frequency, Q and gain, the eighteen spin-button
// pairs, the type lists, Bypass and "Bass Enhancer". Every change lands in the band's fields of
// the PresetImage, redraws the band on the graph and sends the band's row.

#include "editing/EditingContext.h"
#include "editing/EqualizerPanel.h"
#include "editing/TypedEdits.h"

namespace lyra {

class EqualizerEditing {
 public:
  EqualizerEditing(EditingContext& context, EqualizerPanel& panel);

  // RzEdit94Exit / RzEdit94KeyPress (Enter) and their siblings of all eighteen edits.
  void bandEditAccepted(int row, BandField field);
  // The DownLeftClick (step -1) and UpRightClick (step +1) handlers of the spin-button pairs.
  void bandSpinClick(int row, BandField field, int step);
  // RzComboBox66Change, RzComboBox67Change, RzComboBox72Change .. RzComboBox75Change.
  void typeChange(int row);
  // RzCheckBox1Click .. RzCheckBox6Click.
  void bypassClick(int row);
  // "Bass Enhancer": the flag between 0 and 1, shown in the button's colour, sent in the Main
  // channel frame.
  void RzButton98Click();

  // The band's new values into the panel, the graph and the band's send slot.
  void redrawAndSend(int row);

 private:
  QLineEdit* editOf(int row, BandField field) const;
  QString shownValue(int row, BandField field) const;
  BandSlot slotOf(int row) const;

  EditingContext& c_;
  EqualizerPanel& panel_;
};

}  // namespace lyra
