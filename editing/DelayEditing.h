#pragma once
// The behaviour of "SYSTEM DELAY" (the Main Way) and "SATELLITE DELAY" (the High Way): scroll
// bars in 0.021 ms steps and typed milliseconds, clamped to 0..8.547 ms and truncated to a step.
// Every change is sent at once in the Way's channel frame, which carries the delay.

#include "editing/DelayPanel.h"
#include "editing/EditingContext.h"

namespace lyra {

class DelayEditing {
 public:
  DelayEditing(EditingContext& context, DelayPanel& panel);

  void ScrollBar1Change();
  void RzEdit18Exit();  // typed system delay, on focus loss and Enter
  void scrlbr1Change();
  void edt1Exit();  // typed satellite delay, on focus loss and Enter

 private:
  void showSystem(int steps);
  void showSatellite(int steps);

  EditingContext& c_;
  DelayPanel& panel_;
};

}  // namespace lyra
