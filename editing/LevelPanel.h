#pragma once
// "SYSTEM": the Main Way's level slider, Mute and polarity; "SATELLITE LEVEL": the High Way's.

#include "editing/Controls.h"
#include "editing/EditingState.h"
#include "preset/PresetImage.h"

namespace lyra {

class LevelPanel {
 public:
  LevelPanel(QWidget* page, const PresetImage& image, EditingState& state);

  // After a preset was decoded: the satellite level, Mute and polarity from the High Way; the
  // system slider (moved under the refresh flag), its label, edit and Mute from systemLevel; the
  // system polarity from the Main Way.
  void showFromImage();

  QGroupBox* systemBox;   // "SYSTEM"
  QSlider* TrackBar1;     // system level, position p = -0.2 p dB, 301 = muted
  QLineEdit* edt3;        // typed system level
  QPushButton* btn1;      // system "Mute"
  QPushButton* RzButton6; // system polarity
  QLabel* Label1;         // hidden: the current system level text
  QGroupBox* satelliteBox;  // "SATELLITE LEVEL"
  QSlider* trckbr1;       // satellite level, 0..250
  QLineEdit* edt2;        // typed satellite level
  QPushButton* btn3;      // satellite "Mute"
  QPushButton* btn2;      // satellite polarity
  QLabel* lbl6;           // hidden: the current satellite level text

  static constexpr int kMutedPosition = 301;

 private:
  const PresetImage& image_;
  EditingState& state_;
};

// "Pol(-)" on yellow for an inverted output, "Pol(+)" on grey otherwise.
void showPolarity(QPushButton* button, std::uint8_t polarity);

}  // namespace lyra
