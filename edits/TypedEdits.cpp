#include "edits/TypedEdits.h"

#include <algorithm>

#include "model/ParameterScales.h"
#include "model/ValueFormat.h"

namespace lyra {

std::span<const double> bandFieldScale(BandField field) {
  switch (field) {
    case BandField::Frequency:
      return FrequencyScale;
    case BandField::Q:
      return QScale;
    case BandField::Gain:
      break;
  }
  return GainScale;
}

int bandFieldIndex(const EqBand& band, BandField field) {
  switch (field) {
    case BandField::Frequency:
      return band.frequency;
    case BandField::Q:
      return band.q;
    case BandField::Gain:
      break;
  }
  return EffectiveGain(band);
}

void setBandFieldIndex(EqBand& band, BandField field, int index) {
  switch (field) {
    case BandField::Frequency:
      band.frequency = static_cast<std::uint8_t>(index);
      return;
    case BandField::Q:
      band.q = static_cast<std::uint8_t>(index);
      return;
    case BandField::Gain:
      (band.type == kPeakingBand ? band.peqGain : band.shelfGain) =
          static_cast<std::uint16_t>(index);
      return;
  }
}

std::string bandFieldText(const EqBand& band, BandField field) {
  const double value = ValueOf(bandFieldScale(field), bandFieldIndex(band, field));
  switch (field) {
    case BandField::Frequency:
      return FormatFrequency(value);
    case BandField::Q:
      return FormatQ(value);
    case BandField::Gain:
      break;
  }
  return FormatDb(value);
}

int bandIndexFromTyped(BandField field, const TypedNumber& typed) {
  return NearestIndex(bandFieldScale(field), typed.value);
}

int frequencyIndexFromTyped(const TypedNumber& typed) {
  return NearestIndex(FrequencyScale, typed.value);
}

void storeSystemLevel(MainSettings& main, int position, bool fromMute) {
  main.systemLevel = static_cast<std::uint16_t>(kSystemLevelZeroDb - position);
  if (!fromMute) main.savedSystemLevel = main.systemLevel;
}

void toggleSystemMute(MainSettings& main) {
  if (main.systemLevel != 0) {
    main.savedSystemLevel = main.systemLevel;
    main.systemLevel = 0;
  } else {
    main.systemLevel = main.savedSystemLevel;
  }
}

void pressSystemMute(MainSettings& main) {
  toggleSystemMute(main);
  main.systemLevel = std::min(main.systemLevel, kSystemLevelZeroDb);
}

}  // namespace lyra
