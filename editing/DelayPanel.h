#pragma once
// "SYSTEM DELAY" (the Main Way) and "SATELLITE DELAY" (the High Way): a delay in 0.021 ms
// steps, shown in milliseconds, metres and feet.

#include "editing/Controls.h"
#include "editing/EditingState.h"
#include "preset/PresetImage.h"

namespace lyra {

class DelayPanel {
 public:
  DelayPanel(QWidget* page, const PresetImage& image, EditingState& state);

  // The Main delay selection: the Main Way becomes the SelectedWay and the system delay
  // controls show its delay, moved under the refresh flag so that nothing is stored or sent.
  void RzButton5Click();
  // After a preset was decoded: the satellite delay bar and its texts from the High Way.
  void showSatelliteFromImage();

  // The delay texts of steps into an edit, its hidden label and the two distance labels.
  static void showDelay(int steps, QLineEdit* edit, QLabel* hidden, QLabel* metres, QLabel* feet);

  QGroupBox* systemBox;     // "SYSTEM DELAY"
  QScrollBar* ScrollBar1;   // system delay steps 0..407
  QLineEdit* RzEdit18;      // typed system delay, milliseconds
  QLabel* lbl9;             // hidden: last accepted system milliseconds text
  QLabel* RzLabel3;         // system delay in metres
  QLabel* RzLabel20;        // system delay in feet
  QGroupBox* satelliteBox;  // "SATELLITE DELAY"
  QScrollBar* scrlbr1;      // satellite delay steps
  QLineEdit* edt1;          // typed satellite delay
  QLabel* lbl4;             // hidden: last accepted satellite milliseconds text
  QLabel* lbl1;             // satellite metres
  QLabel* lbl2;             // satellite feet

 private:
  const PresetImage& image_;
  EditingState& state_;
};

}  // namespace lyra
