#pragma once
// Equaliser settings read from a measurement tool, stored in the Main path's six bands through
// the typed-entry rules of the window's fields: each value clamped to its scale's ends and
// snapped to the nearest entry, so the device's steps decide what is stored, and the report says
// by how much that changed the response.

#include <array>
#include <optional>
#include <string>
#include <variant>

#include "measure/EqSettingsText.h"
#include "preset/PresetImage.h"

namespace lyra {

struct ImportedBand {
  int row = 0;                   // 0..5
  std::optional<int> line;       // the file line it came from; none for a band the file leaves out
  std::string given;             // "PK Fc 63.0 Hz Gain -3.0 dB Q 4.00", or "(not in the file)"
  std::string stored;            // "ON PK Fc 62.5 Hz Gain -3.0 dB Q 4", or "OFF (flat) PK Fc ..."
  bool flat = false;             // made 0 dB: OFF, None or not in the file
  double worstDifferenceDb = 0;  // largest |given - stored| response over the graph's columns
};

struct EqImport {
  std::array<EqBand, kBandsPerWay> bands{};  // the Main path's bands as they will be stored
  std::array<ImportedBand, kBandsPerWay> report{};
  std::optional<std::uint16_t> systemLevel;  // from Preamp
  std::string preampReport;                  // "Preamp -3 dB: system level -3.0 dB"
};

// The bands the settings give, starting from the image's Main bands (a band the file leaves out
// or turns off keeps its type, Fc and Q and is made flat). A Preamp outside the system level's
// reach (-60.0 .. 0.0 dB) refuses the whole import with the reason.
std::variant<EqImport, std::string> PrepareEqImport(const EqSettings& settings,
                                                    const PresetImage& image);

// Stores the prepared bands (and level) in the image. The bands sound as stored: a caller that
// keeps Bypass boxes clears them for the Main path.
void ApplyEqImport(const EqImport& import, PresetImage& image);

// The report as lines for a person: one per band and the Preamp.
std::string DescribeEqImport(const EqImport& import);

}  // namespace lyra
