#include "measure/ResponseData.h"

#include <cmath>
#include <complex>
#include <numbers>

#include "response/FilterDesigns.h"
#include "model/ParameterScales.h"
#include "response/PlotGeometry.h"
#include "model/ValueFormat.h"

namespace lyra {

namespace {
// 40 ln|H| / ln 101 taken on |H|^2, as the curves take it.
const double kDbPerLnPower = 20.0 / std::log(101.0);
}  // namespace

std::vector<Section> MainPathSections(const PresetImage& image,
                                      const std::array<bool, kBandsPerWay>& bypass) {
  std::vector<Section> sections;
  for (int row = 0; row < kBandsPerWay; ++row) {
    if (bypass[static_cast<std::size_t>(row)]) continue;
    const EqBand& band = image.band(ToBandSlot(Way::Main, row));
    const MarkerPosition marker = BandMarker(band.frequency, EffectiveGain(band));
    const double hz = MarkerFrequency(marker.x);
    const double db = MarkerGain(marker.y);
    sections.push_back(band.type == kPeakingBand ? PeakingSection(hz, db, ValueOf(QScale, band.q))
                       : band.type == kLowShelfBand ? LowShelfSection(hz, db)
                                                    : HighShelfSection(hz, db));
  }
  const WaySettings& main = image.way(Way::Main);
  for (const Section& s : HighPassSections(HighPassCutoff(main.hpfFrequency), main.hpfType))
    sections.push_back(s);
  for (const Section& s : LowPassSections(LowPassCutoff(main.lpfFrequency), main.lpfType))
    sections.push_back(s);
  return sections;
}

ResponsePoint ResponseAt(std::span<const Section> sections, double hz, double delayMs) {
  std::complex<double> h{1.0, 0.0};
  for (const Section& s : sections) h *= SectionResponse(s, hz);
  h *= std::polar(1.0, -2.0 * std::numbers::pi * hz * delayMs / 1000.0);
  return {hz, kDbPerLnPower * std::log(std::norm(h)), std::arg(h) * 180.0 / std::numbers::pi};
}

std::vector<double> ResponseFrequencies() {
  std::vector<double> hz;
  for (int k = 0; k <= 478; ++k) hz.push_back(20.0 * std::exp2(k / 48.0));
  return hz;
}

std::vector<ResponsePoint> MainResponse(const PresetImage& image,
                                        const std::array<bool, kBandsPerWay>& bypass,
                                        bool withDelay) {
  const std::vector<Section> sections = MainPathSections(image, bypass);
  const double delayMs = withDelay ? DelayMs(image.way(Way::Main).delaySteps) : 0.0;
  std::vector<ResponsePoint> points;
  for (double hz : ResponseFrequencies()) points.push_back(ResponseAt(sections, hz, delayMs));
  return points;
}

void MainPhaseAtColumns(const PresetImage& image, const std::array<bool, kBandsPerWay>& bypass,
                        ColumnPhases& phaseDeg) {
  // The columns never move: their cosines and sines are a constant table, made on first use.
  struct Columns {
    ColumnPhases cosW{};
    ColumnPhases sinW{};
    Columns() {
      for (std::size_t i = 0; i < cosW.size(); ++i) {
        const double w =
            2.0 * std::numbers::pi * ColumnFrequency(kFirstColumnX + static_cast<int>(i)) / 96000.0;
        cosW[i] = std::cos(w);
        sinW[i] = std::sin(w);
      }
    }
  };
  static const Columns columns;

  std::vector<Section> sections = MainPathSections(image, bypass);
  for (Section& s : sections) s = Normalised(s);
  for (std::size_t i = 0; i < phaseDeg.size(); ++i) {
    const double c = columns.cosW[i];
    const double sn = columns.sinW[i];
    // arg(N / D) = arg(N conj(D)): the angle without a complex division per section.
    std::complex<double> turn{1.0, 0.0};
    for (const Section& s : sections) {
      const SectionTerms t = NormalisedSectionTerms(s, c, sn);
      turn *= t.numerator * std::conj(t.denominator);
    }
    phaseDeg[i] = std::arg(turn) * 180.0 / std::numbers::pi;
  }
}

std::string WriteFrd(std::span<const ResponsePoint> points) {
  std::string text =
      "* LYRAPHONE Main path: equaliser, high-pass and low-pass\n"
      "* Frequency (Hz)  Magnitude (dB)  Phase (degrees)\n";
  for (const ResponsePoint& p : points) {
    text += FormatFixed(p.hz, 3) + " " + FormatFixed(p.magnitudeDb, 3) + " " +
            FormatFixed(p.phaseDeg, 2) + "\n";
  }
  return text;
}

std::string WriteCsv(std::span<const ResponsePoint> points) {
  std::string text = "Frequency (Hz),Magnitude (dB),Phase (degrees)\n";
  for (const ResponsePoint& p : points) {
    text += FormatFixed(p.hz, 3) + "," + FormatFixed(p.magnitudeDb, 3) + "," +
            FormatFixed(p.phaseDeg, 2) + "\n";
  }
  return text;
}

}  // namespace lyra
