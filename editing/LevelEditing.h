#pragma once
// The behaviour of "SYSTEM" (the Main Way's level slider, typed level, Mute and polarity) and
// "SATELLITE LEVEL" (the High Way's). Every change is sent at once in the Way's channel frame.
//
// The system slider's position p means -0.2 p dB and 301 means muted; systemLevel = 301 - p.
// Mute remembers the level it silenced in savedSystemLevel and brings it back on the second
// press; while the Mute button itself moves the slider, the from-Mute flag keeps the slider's
// handling from overwriting that memory.

#include "editing/EditingContext.h"
#include "editing/LevelPanel.h"

namespace lyra {

class LevelEditing {
 public:
  LevelEditing(EditingContext& context, LevelPanel& panel);

  void TrackBar1Change();
  void btn1Click();       // system "Mute"
  void RzButton6Click();  // system polarity
  void edt3Exit();        // typed system level, on focus loss and Enter
  void trckbr1Change();
  void btn3Click();  // satellite "Mute"
  void btn2Click();  // satellite polarity
  void edt2Exit();   // typed satellite level, on focus loss and Enter

  // A system level set from outside the panel (an imported Preamp): the slider moves to the
  // position, and the level is shown, stored and sent as a typed level is.
  void systemLevelChosen(int position);

  bool fromMute() const { return fromMute_; }

 private:
  void showSystemLevel(int position);
  void showSatelliteLevel(int position);
  // A new slider position: shown, stored in the image and sent. The system level is also kept as
  // the level Mute brings back (unless Mute moved the slider) and colours the Mute button.
  void applySystemLevel(int position);
  void applySatelliteLevel(int position);
  void togglePolarity(Way way, QPushButton* button);
  void sendMain();
  void sendHigh();

  EditingContext& c_;
  LevelPanel& panel_;
  bool fromMute_ = false;
};

}  // namespace lyra
