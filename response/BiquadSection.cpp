#include "response/BiquadSection.h"

#include <cmath>
#include <numbers>

namespace lyra {

namespace {
constexpr double kHalfLn2 = 0.34657359;
constexpr double kLn2 = 0.69314718;
constexpr double kShelfSlope = 1.3;
constexpr double kLowShelfShift = 1.2727272727;
constexpr double kHighShelfShift = 0.76923076923;
}  // namespace

Section Normalised(const Section& s) {
  const double a0 = s.a0 == 0.0 ? 1e-10 : s.a0;
  return {s.b0 / a0, s.b1 / a0, s.b2 / a0, 1.0, s.a1 / a0, s.a2 / a0};
}

double SectionGainDb(const Section& section, double hz) {
  const Section s = Normalised(section);
  const double w = 2.0 * std::numbers::pi * hz / 96000.0;
  const double c = std::cos(w);
  const double sn = std::sin(w);
  const double dr = c + s.a1 + s.a2 * c;
  const double di = sn - s.a2 * sn;
  const double nr = s.b0 * c + s.b1 + s.b2 * c;
  const double ni = s.b0 * sn - s.b2 * sn;
  const double magnitude = std::sqrt((nr * nr + ni * ni) / (dr * dr + di * di));
  return 40.0 * std::log(magnitude) / std::log(101.0);
}

std::complex<double> SectionResponse(const Section& section, double hz) {
  const double w = 2.0 * std::numbers::pi * hz / 96000.0;
  const SectionTerms t = NormalisedSectionTerms(Normalised(section), std::cos(w), std::sin(w));
  return t.numerator / t.denominator;
}

SectionTerms NormalisedSectionTerms(const Section& s, double c, double sn) {
  // Numerator and denominator both multiplied by e^{jw}, which leaves their quotient as it is.
  return {{(s.b0 + s.b2) * c + s.b1, (s.b0 - s.b2) * sn}, {(1 + s.a2) * c + s.a1, (1 - s.a2) * sn}};
}

Section PeakingSection(double centreHz, double gainDb, double q) {
  const double bw = std::asinh(1.0 / (2.0 * q)) / kHalfLn2;  // octaves
  const double w0 = centreHz * kRadiansPerHz;
  const double A = std::pow(10.0, gainDb / 40.0);
  const double alpha = std::sin(w0) * std::sinh(kLn2 * bw * w0 / std::sin(w0));
  const double cs = std::cos(w0);
  return {1 + alpha * A, -2 * cs, 1 - alpha * A, 1 + alpha / A, -2 * cs, 1 - alpha / A};
}

namespace {

struct ShelfTerms {
  double A, s, cs;
};

ShelfTerms Shelf(double w0, double gainDb) {
  const double A = std::pow(10.0, gainDb / 40.0);
  const double alpha = std::sin(w0) / 2 * std::sqrt((A + 1 / A) * (1 / kShelfSlope - 1) + 2);
  return {A, 2 * std::sqrt(A) * alpha, std::cos(w0)};
}

}  // namespace

Section LowShelfSection(double cornerHz, double gainDb) {
  if (gainDb == 0.0) return Section::Unity();
  const auto [A, s, cs] = Shelf(cornerHz * kRadiansPerHz * kLowShelfShift, gainDb);
  return {A * ((A + 1) - (A - 1) * cs + s), 2 * A * ((A - 1) - (A + 1) * cs),
          A * ((A + 1) - (A - 1) * cs - s), (A + 1) + (A - 1) * cs + s,
          -2 * ((A - 1) + (A + 1) * cs),    (A + 1) + (A - 1) * cs - s};
}

Section HighShelfSection(double cornerHz, double gainDb) {
  if (gainDb == 0.0) return Section::Unity();
  const auto [A, s, cs] = Shelf(cornerHz * kRadiansPerHz * kHighShelfShift, gainDb);
  return {A * ((A + 1) + (A - 1) * cs + s), -2 * A * ((A - 1) + (A + 1) * cs),
          A * ((A + 1) + (A - 1) * cs - s), (A + 1) - (A - 1) * cs + s,
          2 * ((A - 1) - (A + 1) * cs),     (A + 1) - (A - 1) * cs - s};
}

}  // namespace lyra
