// The response graph as the user waits for it. BM_DragStep is one pointer move of a dragged
// marker: the grid copied, the band recomputed, the Way's total drawn, the markers drawn, all into
// the image. The link sends at most two frames a second and a screen shows 60, so the target is
// 0.5 ms or less on the release build. BM_DragStepWithPhase is the same move with "Show phase" on:
// the Main path's phase computed at every column and drawn too. BM_ShowWay is the whole Way from
// the stored curves.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "graph/ResponseGraph.h"
#include "measure/ResponseData.h"

namespace lyra {
namespace {

// Text needs a QGuiApplication and Image5 a QApplication. Made once for the whole run and left
// to the process's end, as the benchmark library owns main.
void EnsureQtApplication() {
  static int argc = 1;
  static char name[] = "lyraphone-bench";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  new QApplication(argc, argv);
}

// The Main Way with all six bands away from 0 dB and both filters on, as the decoder draws it.
struct BusyGraph {
  BusyGraph() {
    const EqBand bands[6] = {
        {.frequency = 40, .type = kLowShelfBand, .shelfGain = 150},
        {.frequency = 70, .type = kPeakingBand, .peqGain = 80, .q = 9},
        {.frequency = 100, .type = kPeakingBand, .peqGain = 140, .q = 4},
        {.frequency = 150, .type = kPeakingBand, .peqGain = 60, .q = 19},
        {.frequency = 185, .type = kPeakingBand, .peqGain = 170, .q = 3},
        {.frequency = 215, .type = kHighShelfBand, .shelfGain = 90},
    };
    for (int row = 0; row < 6; ++row) {
      image.band(18 + row) = bands[row];
      graph.RedrawBand(18 + row, bands[row].type);
    }
    image.way(Way::Main).hpfFrequency = 25;
    image.way(Way::Main).lpfFrequency = 226;
    graph.RedrawFilter(3, FilterEdge::HighPass, 7);
    graph.RedrawFilter(3, FilterEdge::LowPass, 3);
  }
  PresetImage image;
  std::unique_ptr<ResponseCurves> curves = std::make_unique<ResponseCurves>();
  int selectedWay = 3;
  ResponseGraph graph{nullptr, image, *curves, selectedWay};
};

// Band 5's marker dragged across the plot, one pointer move per iteration.
void DragSweep(benchmark::State& state, BusyGraph& busy) {
  const MarkerPosition start = busy.graph.marker(22);
  busy.graph.Image5MouseDown(start.x, start.y);
  int x = 300;
  int y = 40;
  for (auto _ : state) {
    // A pointer sweeping the plot, so every move lands on new indices.
    x = x >= 680 ? 100 : x + 3;
    y = y >= 190 ? 40 : y + 1;
    busy.graph.Image5MouseMove(x, y);
    benchmark::DoNotOptimize(busy.graph.graphImage().constBits());
    benchmark::ClobberMemory();
  }
}

void BM_DragStep(benchmark::State& state) {
  EnsureQtApplication();
  BusyGraph busy;
  DragSweep(state, busy);
}
BENCHMARK(BM_DragStep);

void BM_DragStepWithPhase(benchmark::State& state) {
  EnsureQtApplication();
  BusyGraph busy;
  // As the window answers while "Show phase" is checked (app/GraphPhase).
  const std::array<bool, kBandsPerWay> noBypass{};
  busy.graph.phaseOf = [&busy, &noBypass](int, ColumnTotals& phaseDeg) {
    MainPhaseAtColumns(busy.image, noBypass, phaseDeg);
    return true;
  };
  DragSweep(state, busy);
}
BENCHMARK(BM_DragStepWithPhase);

void BM_ShowWay(benchmark::State& state) {
  EnsureQtApplication();
  BusyGraph busy;
  for (auto _ : state) {
    busy.graph.ShowWay(3);
    benchmark::DoNotOptimize(busy.graph.graphImage().constBits());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ShowWay);

}  // namespace
}  // namespace lyra
