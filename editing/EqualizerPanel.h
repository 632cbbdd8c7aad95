#pragma once
// "SYSTEM EQUALIZATION": six band rows of the SelectedWay, with "Filters reset" and
// "Bass Enhancer".

#include <QGroupBox>
#include <array>

#include "editing/Controls.h"
#include "preset/PresetImage.h"

namespace lyra {

class EqualizerPanel {
 public:
  struct Row {
    QLabel* caption;         // " 1 " .. " 6 " on the band's colour
    QLineEdit* frequency;    // RzEdit94 .. RzEdit98, RzEdit111
    QLineEdit* q;            // RzEdit99, RzEdit102 .. RzEdit105, RzEdit112
    QLineEdit* gain;         // RzEdit106 .. RzEdit110, RzEdit113
    QComboBox* type;         // "PEQ", "LS", "HS"
    SpinButtons frequencySpin;
    SpinButtons qSpin;
    SpinButtons gainSpin;
    QCheckBox* bypass;       // RzCheckBox1 .. RzCheckBox6
  };

  EqualizerPanel(QWidget* page, const PresetImage& image);

  // Writes the six rows of the Way from the image; touches neither the Bypass boxes nor the
  // typed-entry baseline, and sends nothing.
  void fill(Way way);
  // Clears the six Bypass boxes without running their click handlers.
  void clearBypass();
  // The Bass Enhancer button shows the flag: grey for 0, red for 1, anything else leaves it.
  void showBassEnhancer(std::uint8_t bassEnhancer);

  QGroupBox* box;
  std::array<Row, kBandsPerWay> rows;
  QPushButton* RzButton97;  // "Filters reset"
  QPushButton* RzButton98;  // "Bass Enhancer"
  bool suppressBypassClicks = false;

 private:
  const PresetImage& image_;
};

}  // namespace lyra
