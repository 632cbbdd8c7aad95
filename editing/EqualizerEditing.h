#pragma once
// The behaviour of "SYSTEM EQUALIZATION": typed frequency, Q and gain, the eighteen spin-button
// pairs, the type lists, Bypass, "Bass Enhancer" and a band marker dragged on the graph. Every
// change lands in the band's fields of the PresetImage, redraws the band on the graph and sends the
// band's row. The rows' Bypass state is EditingState::bypass; the boxes show it.

#include "editing/EditingContext.h"
#include "editing/EqualizerPanel.h"
#include "edits/TypedEdits.h"

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
  // RzCheckBox1Click .. RzCheckBox6Click: the box's new state becomes the row's Bypass.
  void bypassClick(int row);
  // A preset was decoded: every row's Bypass off and its box cleared, without the click handlers.
  // Nothing is drawn or sent; the decode redraws every band afterwards.
  void clearBypass();
  // The graph's onBandChanged, once per pointer move of a marker drag: the graph has stored the
  // band's new frequency and gain and drawn it. The row's frequency and gain edits show them as a
  // typed edit shows its value (the baseline of the edit being typed moves with it), and the band
  // goes out as every other edit sends it, flat when its row is bypassed.
  void bandDragged(BandSlot slot);
  // "Bass Enhancer": the flag between 0 and 1, shown in the button's colour, sent in the Main
  // channel frame.
  void RzButton98Click();

  // The band's new values into the panel, the graph and the band's send slot.
  void redrawAndSend(int row);

 private:
  QLineEdit* editOf(int row, BandField field) const;
  QString shownValue(int row, BandField field) const;
  BandSlot slotOf(int row) const;
  void send(BandSlot slot);

  EditingContext& c_;
  EqualizerPanel& panel_;
};

}  // namespace lyra
