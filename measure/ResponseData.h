#pragma once
// The Main path's response as data for the measurement tools: the six equaliser bands, the
// high-pass and the low-pass together, from the same sections the graph draws, with their phase.
//
// The bands are designed where the graph designs them (their markers' frequency and gain), so
// the magnitude at a graph column is the graph's curve there.

#include <array>
#include <span>
#include <string>
#include <vector>

#include "response/BiquadSection.h"
#include "response/PlotGeometry.h"
#include "preset/PresetImage.h"

namespace lyra {

struct ResponsePoint {
  double hz = 0;
  double magnitudeDb = 0;  // as the graph's decibels: 40 ln|H| / ln 101
  double phaseDeg = 0;     // -180 .. +180
};

// The sections of the Main path: the bands not bypassed (a 0 dB shelf is the unity section),
// then the high-pass and low-pass sections.
std::vector<Section> MainPathSections(const PresetImage& image,
                                      const std::array<bool, kBandsPerWay>& bypass);

// The response of the sections at hz; delayMs turns the phase by the delay's travel time.
ResponsePoint ResponseAt(std::span<const Section> sections, double hz, double delayMs = 0);

// 20 Hz .. 20 kHz at 1/48 octave: 20 * 2^(k/48) for k = 0..478.
std::vector<double> ResponseFrequencies();

// The Main path at ResponseFrequencies(), with the system delay in the phase where asked.
std::vector<ResponsePoint> MainResponse(const PresetImage& image,
                                        const std::array<bool, kBandsPerWay>& bypass,
                                        bool withDelay);

// The Main path's phase at the response graph's columns (index i is column x = 42 + i), in
// degrees -180 .. +180: what the graph draws when its phase is shown. A column's cosine and sine
// are taken once for all sections, and no section's response is divided out.
using ColumnPhases = std::array<double, kColumnCount>;
void MainPhaseAtColumns(const PresetImage& image, const std::array<bool, kBandsPerWay>& bypass,
                        ColumnPhases& phaseDeg);

// FRD: "*" comment lines, then "hz dB degrees" per line. CSV: a header line, then one row each.
std::string WriteFrd(std::span<const ResponsePoint> points);
std::string WriteCsv(std::span<const ResponsePoint> points);

}  // namespace lyra
