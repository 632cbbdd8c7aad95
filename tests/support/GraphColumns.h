#pragma once
// The magnitude of a path's sections at every column of the response graph against the graph's
// own curve store: what the measure/ data and the drawn curve must agree on.

#include <gtest/gtest.h>

#include <span>

#include "response/ResponseCurves.h"
#include "measure/ResponseData.h"

namespace lyra::test {

// Success when ResponseAt's magnitude equals the Way's total in the curve store within 0.01 dB
// at every column; otherwise the first column that differs, with both values.
inline ::testing::AssertionResult MagnitudeIsTheGraphsCurve(std::span<const Section> sections,
                                                            const ResponseCurves& curves, int way) {
  for (int i = 0; i < kColumnCount; ++i) {
    const double data = ResponseAt(sections, ColumnFrequency(kFirstColumnX + i)).magnitudeDb;
    const double drawn = curves.wayTotalDb(way, i);
    if (std::abs(data - drawn) > 0.01)
      return ::testing::AssertionFailure()
             << "column " << kFirstColumnX + i << ": " << data << " dB from the sections, " << drawn
             << " dB on the graph";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace lyra::test
