#include "preset/PresetImage.h"

#include <algorithm>

#include "model/ValueFormat.h"

namespace lyra {

std::string NameTable::shown(int index) const {
  if (index < 0 || index >= kCount) return {};
  const auto& bytes = names[static_cast<std::size_t>(index)];
  const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return std::string(bytes.begin(), end);
}

std::string SystemLevelText(std::uint16_t systemLevel) {
  if (systemLevel == 0) return "Mute";
  // Whole fifths of a decibel, so that the text never shows a binary rounding error.
  const int fifths = systemLevel - kSystemLevelZeroDb;
  return FormatDb(fifths * 2 / 10.0);
}

std::string OutputLevelText(std::uint8_t level) {
  return FormatDb((level - 200) / 10.0);
}

}  // namespace lyra
