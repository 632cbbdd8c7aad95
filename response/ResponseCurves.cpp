#include "response/ResponseCurves.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "response/FilterDesigns.h"
#include "model/ParameterScales.h"

namespace lyra {

namespace {
// 40 ln|H| / ln 101, taken on |H|^2: 20 / ln 101 per unit of ln|H|^2.
const double kDbPerLnPower = 20.0 / std::log(101.0);
}  // namespace

ResponseCurves::ResponseCurves() {
  for (int i = 0; i < kColumnCount; ++i) {
    const double w = 2.0 * std::numbers::pi * ColumnFrequency(kFirstColumnX + i) / 96000.0;
    cosW_[static_cast<std::size_t>(i)] = std::cos(w);
    sinW_[static_cast<std::size_t>(i)] = std::sin(w);
  }
}

void ResponseCurves::evaluate(std::span<const Section> sections, Curve& curve) const {
  // At most two sections per curve; their power gains multiply, so one logarithm per column.
  std::array<Section, 2> n{};
  const std::size_t count = std::min(sections.size(), n.size());
  for (std::size_t k = 0; k < count; ++k) n[k] = Normalised(sections[k]);
  for (std::size_t k = count; k < n.size(); ++k) n[k] = Section::Unity();

  // Per section, with c = cos w and s = sin w of the column:
  //   N = (b0 + b2) c + b1 + j (b0 - b2) s,   D = (1 + a2) c + a1 + j (1 - a2) s.
  const double p0 = n[0].b0 + n[0].b2, m0 = n[0].b0 - n[0].b2;
  const double q0 = 1 + n[0].a2, r0 = 1 - n[0].a2;
  const double p1 = n[1].b0 + n[1].b2, m1 = n[1].b0 - n[1].b2;
  const double q1 = 1 + n[1].a2, r1 = 1 - n[1].a2;
  for (std::size_t i = 0; i < curve.size(); ++i) {
    const double c = cosW_[i];
    const double s = sinW_[i];
    const double nr0 = p0 * c + n[0].b1, ni0 = m0 * s;
    const double dr0 = q0 * c + n[0].a1, di0 = r0 * s;
    const double nr1 = p1 * c + n[1].b1, ni1 = m1 * s;
    const double dr1 = q1 * c + n[1].a1, di1 = r1 * s;
    const double power = (nr0 * nr0 + ni0 * ni0) * (nr1 * nr1 + ni1 * ni1) /
                         ((dr0 * dr0 + di0 * di0) * (dr1 * dr1 + di1 * di1));
    curve[i] = kDbPerLnPower * std::log(power);
  }
}

void ResponseCurves::computeBandCurve(int slot, int type, int qIndex, MarkerPosition marker) {
  Curve& curve = bands_.at(static_cast<std::size_t>(slot));
  const double f0 = MarkerFrequency(marker.x);
  const double gainDb = MarkerGain(marker.y);
  Section section;
  switch (type) {
    case 0:
      section = PeakingSection(f0, gainDb, ValueOf(QScale, qIndex));
      break;
    case 1:
      section = LowShelfSection(f0, gainDb);
      break;
    default:
      section = HighShelfSection(f0, gainDb);
      break;
  }
  evaluate(std::span<const Section>(&section, 1), curve);
}

void ResponseCurves::computeHighPassCurve(int way, int frequencyIndex, int code) {
  const FilterSections sections = HighPassSections(HighPassCutoff(frequencyIndex), code);
  evaluate(sections, highPass_.at(static_cast<std::size_t>(way)));
}

void ResponseCurves::computeLowPassCurve(int way, int frequencyIndex, int code) {
  const FilterSections sections = LowPassSections(LowPassCutoff(frequencyIndex), code);
  evaluate(sections, lowPass_.at(static_cast<std::size_t>(way)));
}

void ResponseCurves::clearBandCurve(int slot) {
  bands_.at(static_cast<std::size_t>(slot)).fill(0.0);
}

double ResponseCurves::wayTotalDb(int way, int column) const {
  const auto i = static_cast<std::size_t>(column);
  double total = highPassCurve(way).at(i) + lowPassCurve(way).at(i);
  for (int row = 0; row < 6; ++row) total += bandCurve(way * 6 + row).at(i);
  return total;
}

}  // namespace lyra
