#include "measure/EqImport.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "edits/TypedEdits.h"
#include "model/ParameterScales.h"
#include "response/ResponseCurves.h"
#include "model/ValueFormat.h"

namespace lyra {

namespace {

Section BandSection(std::uint8_t type, double hz, double gainDb, double q) {
  switch (type) {
    case kPeakingBand:
      return PeakingSection(hz, gainDb, q);
    case kLowShelfBand:
      return LowShelfSection(hz, gainDb);
    default:
      return HighShelfSection(hz, gainDb);
  }
}

std::string_view TypeWord(std::uint8_t type) {
  return type == kPeakingBand ? "PK" : type == kLowShelfBand ? "LSC" : "HSC";
}

std::string StoredText(const EqBand& band, bool flat) {
  return std::string(flat ? "OFF (flat) " : "ON ") + std::string(TypeWord(band.type)) + " Fc " +
         bandFieldText(band, BandField::Frequency) + " Gain " +
         bandFieldText(band, BandField::Gain) + " Q " + bandFieldText(band, BandField::Q);
}

// The largest difference between the given filter's response and the stored band's over the
// graph's columns, both computed by the graph's curve code.
double WorstDifferenceDb(const ResponseCurves& curves, const GivenFilter* given, const EqBand& band,
                         bool flat) {
  ResponseCurves::Curve givenCurve{};
  ResponseCurves::Curve storedCurve{};
  if (given != nullptr && given->active) {
    const double q = given->q ? given->q->value : ValueOf(QScale, band.q);
    const Section s = BandSection(given->type, given->frequency->value, given->gain->value, q);
    curves.evaluate(std::span<const Section>(&s, 1), givenCurve);
  }
  if (!flat) {
    const Section s = BandSection(band.type, ValueOf(FrequencyScale, band.frequency),
                                  ValueOf(GainScale, EffectiveGain(band)), ValueOf(QScale, band.q));
    curves.evaluate(std::span<const Section>(&s, 1), storedCurve);
  }
  double worst = 0;
  for (std::size_t i = 0; i < givenCurve.size(); ++i) {
    worst = std::max(worst, std::abs(givenCurve[i] - storedCurve[i]));
  }
  return worst;
}

}  // namespace

std::variant<EqImport, std::string> PrepareEqImport(const EqSettings& settings,
                                                    const PresetImage& image) {
  EqImport result;
  if (settings.preamp) {
    const TypedNumber& db = *settings.preamp;
    const std::string line = "line " + std::to_string(settings.preampLine) + ": ";
    if (db.nanos > 0)
      return line + "Preamp " + FormatShortest(db.value) +
             " dB is above the system level's top (0.0 dB)";
    if (db.nanos < -60 * TypedNumber::kNanosPerUnit)
      return line + "Preamp " + FormatShortest(db.value) +
             " dB is below the system level's bottom (-60.0 dB)";
    MainSettings main = image.main;
    storeSystemLevel(main, SystemSliderPositionFromTyped(db), false);
    result.systemLevel = main.systemLevel;
    result.preampReport = "Preamp " + FormatShortest(db.value) + " dB: system level " +
                          FormatDb(-(kSystemLevelZeroDb - main.systemLevel) * 2 / 10.0);
  }
  const auto curves = std::make_unique<ResponseCurves>();
  for (int row = 0; row < kBandsPerWay; ++row) {
    const auto r = static_cast<std::size_t>(row);
    EqBand band = image.band(ToBandSlot(Way::Main, row));
    const GivenFilter* given = r < settings.filters.size() ? &settings.filters[r] : nullptr;
    if (given != nullptr && given->frequency)
      band.frequency =
          static_cast<std::uint8_t>(bandIndexFromTyped(BandField::Frequency, *given->frequency));
    if (given != nullptr && given->q) {
      band.q = static_cast<std::uint8_t>(bandIndexFromTyped(BandField::Q, *given->q));
    } else if (given != nullptr && given->active && given->type != kPeakingBand) {
      band.q = static_cast<std::uint8_t>(NearestIndex(QScale, 0.707));
    }
    // "None" says nothing about the type; an OFF line with a type keeps it.
    if (given != nullptr && (given->active || given->frequency)) band.type = given->type;
    const bool flat = given == nullptr || !given->active;
    setBandFieldIndex(band, BandField::Gain,
                      flat ? kZeroDbGainIndex : bandIndexFromTyped(BandField::Gain, *given->gain));
    result.bands[r] = band;
    ImportedBand& report = result.report[r];
    report.row = row;
    if (given != nullptr) report.line = given->line;
    report.given = given != nullptr ? given->text : "(not in the file)";
    report.flat = flat;
    report.stored = StoredText(band, flat);
    report.worstDifferenceDb = WorstDifferenceDb(*curves, given, band, flat);
  }
  return result;
}

void ApplyEqImport(const EqImport& import, PresetImage& image) {
  for (int row = 0; row < kBandsPerWay; ++row) {
    image.band(ToBandSlot(Way::Main, row)) = import.bands[static_cast<std::size_t>(row)];
  }
  if (import.systemLevel) {
    image.main.systemLevel = *import.systemLevel;
    image.main.savedSystemLevel = *import.systemLevel;
  }
}

std::string DescribeEqImport(const EqImport& import) {
  std::string text;
  for (const ImportedBand& band : import.report) {
    text += "band " + std::to_string(band.row + 1) + ": " + band.given + "\n  stored " +
            band.stored + " (response differs by at most " +
            FormatFixed(band.worstDifferenceDb, 2) + " dB)\n";
  }
  if (!import.preampReport.empty()) text += import.preampReport + "\n";
  return text;
}

}  // namespace lyra
