// One band curve over all 672 columns: what every pointer move of a dragged marker costs, on top
// of the redraw. Target: 10 us or less on the release build.
#include <benchmark/benchmark.h>

#include <memory>

#include "response/ResponseCurves.h"

namespace lyra {
namespace {

void BM_BandCurve(benchmark::State& state) {
  auto curves = std::make_unique<ResponseCurves>();
  int y = 30;
  for (auto _ : state) {
    // A marker moving up and down, as a drag does, so no result is reused.
    y = y >= 198 ? 32 : y + 1;
    curves->computeBandCurve(18, 0, 4, {430, y});
    benchmark::DoNotOptimize(curves->bandCurve(18).data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_BandCurve);

// A 24 dB Bessel low-pass, the costliest filter type: two prototype sections.
void BM_FilterCurve(benchmark::State& state) {
  auto curves = std::make_unique<ResponseCurves>();
  int frequencyIndex = 0;
  for (auto _ : state) {
    frequencyIndex = frequencyIndex >= 242 ? 0 : frequencyIndex + 1;
    curves->computeLowPassCurve(3, frequencyIndex, 8);
    benchmark::DoNotOptimize(curves->lowPassCurve(3).data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FilterCurve);

}  // namespace
}  // namespace lyra
