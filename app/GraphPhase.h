#pragma once
// "Show phase": a check box in the graph's top strip, beside the response it changes. Off at
// start, so the graph looks as it always has; on, the graph draws the Main path's phase over its
// total, on a right-hand axis, computed by measure/ from the sections the curves use, on every
// redraw (each edit, each marker move).

#include <QCheckBox>

#include "editing/EditingState.h"
#include "graph/ResponseGraph.h"
#include "preset/PresetImage.h"

namespace lyra {

class GraphPhase {
 public:
  GraphPhase(QWidget* graphBox, ResponseGraph& graph, const PresetImage& image,
             const EditingState& editing);

  QCheckBox* showPhase;  // "Show phase"

 private:
  bool phaseOf(int way, ColumnTotals& phaseDeg) const;

  ResponseGraph& graph_;
  const PresetImage& image_;
  const EditingState& editing_;
};

}  // namespace lyra
