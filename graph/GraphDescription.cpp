#include "graph/GraphDescription.h"

#include "model/ParameterScales.h"
#include "model/ValueFormat.h"

namespace lyra {

std::string DescribeWay(const PresetImage& image, Way way, const std::function<bool(int)>& bypassed) {
  static constexpr const char* kTypes[] = {"PEQ", "LS", "HS"};
  std::string text;
  for (int row = 0; row < kBandsPerWay; ++row) {
    const EqBand& band = image.band(ToBandSlot(way, row));
    text += "Band " + std::to_string(row + 1) + ": " +
            FormatFrequency(ValueOf(FrequencyScale, band.frequency)) + ", " +
            FormatDb(ValueOf(GainScale, EffectiveGain(band)));
    if (band.type < 3) text += std::string(", ") + kTypes[band.type];
    if (bypassed && bypassed(row)) text += ", bypassed";
    text += ". ";
  }
  const WaySettings& w = image.way(way);
  text += "High-pass " + FormatFrequency(ValueOf(FrequencyScale, w.hpfFrequency)) + ", low-pass " +
          FormatFrequency(ValueOf(FrequencyScale, w.lpfFrequency)) + ".";
  return text;
}

}  // namespace lyra
