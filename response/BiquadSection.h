#pragma once
// One digital biquad section at 96 kHz and the equaliser band designs drawn on the graph.
//
// The curves are for display only; the device receives indices. The designs keep the device
// maker's constants as they are, including where they depart from the textbook (see each).

#include <array>
#include <complex>

namespace lyra {

// H(z) = (b0 + b1 z^-1 + b2 z^-2) / (a0 + a1 z^-1 + a2 z^-2).
struct Section {
  double b0 = 1, b1 = 0, b2 = 0, a0 = 1, a1 = 0, a2 = 0;
  static constexpr Section Unity() { return {}; }
};

// 2 pi / 96000, to the seven digits the curves use.
inline constexpr double kRadiansPerHz = 6.544985e-05;

// Decibels are taken as 40 ln|H| / ln 101, about 0.2 % below 20 log10|H|: the graph has always
// drawn them so, and a +12 dB band still peaks at +12.0 on it.
double SectionGainDb(const Section& section, double hz);

// The section's complex response at hz: the magnitude that SectionGainDb and the curves take the
// logarithm of, and the phase that the response data carry.
std::complex<double> SectionResponse(const Section& section, double hz);
// The numerator and denominator of that response, both multiplied by e^{jw}, for a section
// already Normalised, at a frequency given by cos w and sin w (w = 2 pi hz / 96000): for callers
// that take many sections at the same columns, and for a phase, which needs no division.
struct SectionTerms {
  std::complex<double> numerator;
  std::complex<double> denominator;
};
SectionTerms NormalisedSectionTerms(const Section& normalised, double cosW, double sinW);

// The coefficients divided by a0. An a0 of exactly 0 (possible for the filter sections at
// cut-offs above the sample rate's reach) counts as 1e-10, so that nothing divides by zero.
Section Normalised(const Section& section);

// Peaking band. Its bandwidth term uses ln 2 where the cookbook uses ln 2 / 2, so a band of
// Q 1 is drawn about 2.8 octaves wide between its half-gain points.
Section PeakingSection(double centreHz, double gainDb, double q);
// Shelves with slope 1.3; their corner is moved by 1.2727272727 (low) and 0.76923076923 (high).
// A gain of exactly 0 dB is the unity section.
Section LowShelfSection(double cornerHz, double gainDb);
Section HighShelfSection(double cornerHz, double gainDb);

}  // namespace lyra
