#pragma once
// The curve store of the response graph: one value in decibels per graph column for each of the
// 24 equaliser bands (by BandSlot), and the high-pass and low-pass filter of each of the four
// Ways. The graph adds a Way's eight curves column by column and draws the sum.
//
// A dragged band marker recomputes one band curve on every pointer move, so the column
// frequencies, which never change, are turned into their cosines and sines once, here; a curve
// then costs one section design and a few multiplications and one logarithm per column.

#include <array>
#include <span>

#include "response/BiquadSection.h"
#include "response/PlotGeometry.h"

namespace lyra {

class ResponseCurves {
 public:
  static constexpr int kBandCount = 24;
  static constexpr int kWayCount = 4;
  using Curve = std::array<double, kColumnCount>;  // index i is column x = 42 + i

  ResponseCurves();  // every curve 0 dB

  // A band's curve from its marker position (BandMarker), its type (0 peaking, 1 low shelf,
  // 2 high shelf) and, for a peaking band, its QScale index.
  void computeBandCurve(int slot, int type, int qIndex, MarkerPosition marker);
  // A Way's filter curves from its cut-off index and filter type code 0..8.
  void computeHighPassCurve(int way, int frequencyIndex, int code);
  void computeLowPassCurve(int way, int frequencyIndex, int code);
  // A bypassed band counts 0 dB until it is computed again.
  void clearBandCurve(int slot);

  const Curve& bandCurve(int slot) const { return bands_.at(static_cast<std::size_t>(slot)); }
  const Curve& highPassCurve(int way) const { return highPass_.at(static_cast<std::size_t>(way)); }
  const Curve& lowPassCurve(int way) const { return lowPass_.at(static_cast<std::size_t>(way)); }

  // The sum of a Way's six band curves and two filter curves at one column index.
  double wayTotalDb(int way, int column) const;

  // The sum of the sections' gains at every column, into curve.
  void evaluate(std::span<const Section> sections, Curve& curve) const;

 private:
  std::array<double, kColumnCount> cosW_{};
  std::array<double, kColumnCount> sinW_{};
  std::array<Curve, kBandCount> bands_{};
  std::array<Curve, kWayCount> highPass_{};
  std::array<Curve, kWayCount> lowPass_{};
};

}  // namespace lyra
