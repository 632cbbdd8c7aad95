#include "response/FilterDesigns.h"

#include <algorithm>
#include <cmath>

#include "model/ParameterScales.h"

namespace lyra {

namespace {

// Butterworth and Linkwitz-Riley sections, and the high-pass Bessel ones: damping dk = 1 / (2Q)
// per section, 0 meaning the section is left out. A first-order section 0 makes the 18 dB types.
struct DampedDesign {
  double k;  // the cut-off is divided by k (Bessel types), else 1
  bool firstOrder;
  double d0, d1;
};

// Low-pass Bessel: the bilinear image of the analog prototype 1 / (D s^2 + F s + 1) per section,
// F = 0 meaning the section is left out.
struct PrototypeDesign {
  double k;
  double f0, d0, f1, d1;
};

constexpr bool IsBessel(int code) {
  return code == 2 || code == 5 || code == 8;
}

constexpr std::array<DampedDesign, kFilterTypeCount> kLowPassDamped = {{
    {1, false, 0.70422535, 0},                 // 0 12db-Bworth
    {1, false, 1.0, 0},                        // 1 12db-LR
    {},                                        // 2 Bessel: see kLowPassBessel
    {1, true, 1.0, 0.5},                       // 3 18db-Bworth
    {1, true, 1.0, 0.70422535211},             // 4 18db-LR
    {},                                        // 5 Bessel
    {1, false, 0.92592593, 0.38167939},        // 6 24db-Bworth
    {1, false, 0.70422535211, 0.70422535211},  // 7 24db-LR
    {},                                        // 8 Bessel
}};

constexpr std::array<PrototypeDesign, kFilterTypeCount> kLowPassBessel = {{
    {},
    {},
    {1.3616541287, 1.0, 0.3333333333, 0, 0},  // 2 12db-Bessel
    {},
    {},
    {1.75567236868, 0.5693712514, 0.154812441, 0.430628846, 0},  // 5 18db-Bessel
    {},
    {},
    {2.1139176749, 0.369, 0.087858766, 0.6278294896, 0.109408},  // 8 24db-Bessel
}};

constexpr std::array<DampedDesign, kFilterTypeCount> kHighPass = {{
    {1, false, 0.70422535, 0},                      // 0 12db-Bworth
    {1, false, 1.0, 0},                             // 1 12db-LR
    {1.2683112435, false, 0.70422535, 0},           // 2 12db-Bessel
    {1, true, 1.0, 0.5},                            // 3 18db-Bworth
    {1, true, 1.0, 0.70422535211},                  // 4 18db-LR
    {1.2854981442, true, 0.756, 0.72463768},        // 5 18db-Bessel
    {1, false, 0.92592593, 0.38167939},             // 6 24db-Bworth
    {1, false, 0.70422535211, 0.70422535211},       // 7 24db-LR
    {1.5006420029, false, 0.96153846, 0.61728395},  // 8 24db-Bessel
}};

int ClampCode(int code) {
  return std::clamp(code, 0, kFilterTypeCount - 1);
}

Section LowPassBiquad(double w0, double d) {
  if (d == 0) return Section::Unity();
  const double alpha = std::sin(w0) * d;
  const double cs = std::cos(w0);
  return {(1 - cs) / 2, 1 - cs, (1 - cs) / 2, 1 + alpha, -2 * cs, 1 - alpha};
}

Section LowPassFirstOrder(double w0, double d) {
  const double T = std::tan(w0 / 2);
  return {T, T, 0, T + d, T - d, 0};
}

Section LowPassPrototype(double U, double F, double D) {
  if (F == 0) return Section::Unity();
  const double U2 = U * U;
  return {U2, 2 * U2, U2, U2 + F * U + D, 2 * U2 - 2 * D, U2 - F * U + D};
}

Section HighPassBiquad(double w0, double d) {
  if (d == 0) return Section::Unity();
  const double alpha = std::sin(w0) * d;
  const double cs = std::cos(w0);
  return {(1 + cs) / 2, -(1 + cs), (1 + cs) / 2, 1 + alpha, -2 * cs, 1 - alpha};
}

Section HighPassFirstOrder(double w0, double d) {
  const double T = std::tan(w0 / 2);
  return {1, -1, 0, d * T + 1, d * T - 1, 0};
}

}  // namespace

double LowPassCutoff(int frequencyIndex) {
  if (frequencyIndex >= kMaxFrequencyIndex) return 60000.0;
  return ValueOf(FrequencyScale, frequencyIndex);
}

double HighPassCutoff(int frequencyIndex) {
  if (frequencyIndex <= 0) return 1.0;
  return ValueOf(FrequencyScale, frequencyIndex);
}

FilterSections LowPassSections(double cutoffHz, int code) {
  code = ClampCode(code);
  const auto i = static_cast<std::size_t>(code);
  if (IsBessel(code)) {
    const PrototypeDesign& p = kLowPassBessel[i];
    const double w0 = (cutoffHz / p.k) * kRadiansPerHz;
    const double U = std::tan(w0 / 2);
    return {LowPassPrototype(U, p.f0, p.d0), LowPassPrototype(U, p.f1, p.d1)};
  }
  const DampedDesign& d = kLowPassDamped[i];
  const double w0 = cutoffHz * kRadiansPerHz;
  return {d.firstOrder ? LowPassFirstOrder(w0, d.d0) : LowPassBiquad(w0, d.d0),
          LowPassBiquad(w0, d.d1)};
}

FilterSections HighPassSections(double cutoffHz, int code) {
  const DampedDesign& d = kHighPass[static_cast<std::size_t>(ClampCode(code))];
  const double w0 = cutoffHz / d.k * kRadiansPerHz;
  return {d.firstOrder ? HighPassFirstOrder(w0, d.d0) : HighPassBiquad(w0, d.d0),
          HighPassBiquad(w0, d.d1)};
}

}  // namespace lyra
