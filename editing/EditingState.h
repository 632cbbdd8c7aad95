#pragma once
// State the editing panels share, that is not part of the PresetImage.

#include <string>

namespace lyra {

struct EditingState {
  // The Way the shared panels show: -1 until the first selection, then the Main Way (3).
  int SelectedWay = -1;
  // Set while the program itself moves the system delay bar or the system level slider, so that
  // their change handlers neither store nor send.
  bool refreshing = false;
  // Typed entry: the text an edit held when it was last accepted, and whether the next focus
  // entry takes a new one.
  std::string BaselineText;
  bool baselineRearmed = true;
};

}  // namespace lyra
