// The window's keyboard order: Tab walks the areas top to bottom, the equaliser row by row, then
// the filters, the levels and the delays. Every control can be reached and used without a mouse
// except the graph's markers, whose values have typed fields of their own; Up and Down in a value
// edit do what its spin arrows do.

#include <vector>

#include "app/TForm1.h"

namespace lyra {

std::vector<QWidget*> TForm1::keyboardOrder() {
  const WindowAreas& a = areas;
  std::vector<QWidget*> order = {a.RzComboBox1, a.RzComboBox6, a.Button3,   a.RzComboBox10,
                                 a.RzButton9,   a.RzComboBox11, a.RzEdit1,  a.RzButton10,
                                 a.RzButton8,   a.RzEdit2,      a.Button1,  a.Button4,
                                 a.Button5,     a.Button6,      a.Button7,  a.Button8,
                                 a.Button9,     graphPhase.showPhase};
  // The spin arrows are no Tab stops: Up and Down in their edits step the value.
  for (const EqualizerPanel::Row& r : equalizer.rows) {
    order.insert(order.end(), {r.frequency, r.q, r.gain, r.type, r.bypass});
  }
  order.insert(order.end(),
               {equalizer.RzButton97, equalizer.RzButton98, filters.RzEdit205,
                filters.RzComboBox69, filters.RzEdit206, filters.RzComboBox71, levels.TrackBar1,
                levels.btn1, levels.edt3, levels.RzButton6, levels.trckbr1, levels.edt2,
                levels.btn3, levels.btn2, delays.ScrollBar1, delays.RzEdit18, delays.scrlbr1,
                delays.edt1});
  return order;
}

void TForm1::setKeyboardOrder() {
  const std::vector<QWidget*> order = keyboardOrder();
  for (QWidget* w : order) {
    // Scroll bars take no focus by default; Tab reaches them here, so the arrow and Page keys
    // work on them. (Clicks still leave the focus where it was, as on the spin buttons.)
    if (w->focusPolicy() == Qt::NoFocus) w->setFocusPolicy(Qt::TabFocus);
  }
  for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
  // Mnemonics: Alt+F and Alt+H open the menus; the items get theirs too.
  areas.fileMenu->setTitle("&File");
  areas.helpMenu->setTitle("&Help");
  areas.loadPresetAction->setText("&Load a preset from PC");
  areas.loadAllAction->setText("Load &all presets from PC");
  areas.savePresetAction->setText("&Save this preset to PC");
  areas.saveAllAction->setText("Save all &presets to PC");
  areas.importEqAction->setText("&Import equaliser settings...");
  areas.exportEqAction->setText("&Export equaliser settings...");
  areas.exportResponseAction->setText("Export &response...");
  areas.exitAction->setText("E&xit");
}

}  // namespace lyra
