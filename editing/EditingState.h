#pragma once
// State the editing panels share, that is not part of the PresetImage.

#include <array>
#include <string>

#include "preset/PresetImage.h"

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
  // Bypass of the equaliser's rows 0..5, which the six Bypass boxes show. One per row, whatever
  // the Way (the panels edit the Main Way only). A bypassed band keeps its gain in the image and
  // is drawn and sent at 0 dB. All off again when a preset is decoded.
  std::array<bool, kBandsPerWay> bypass{};

  bool bypassed(int row) const { return bypass.at(static_cast<std::size_t>(row)); }
};

}  // namespace lyra
