#pragma once
// What every editing handler reaches: the image it changes, the shared editing state, the graph
// it redraws, the pump that sends, the address frames go to, and the shared typed entry.

#include "editing/EditingState.h"
#include "editing/TypedEntry.h"
#include "graph/ResponseGraph.h"
#include "preset/PresetImage.h"
#include "protocol/BusAddressing.h"
#include "protocol/SendPump.h"

namespace lyra {

struct EditingContext {
  PresetImage& image;
  EditingState& state;
  ResponseGraph& graph;
  SendPump& pump;
  const BusAddressing& address;
  TypedEntry& typed;

  // The Way the shared panels edit: the Main Way for the whole run once it has been selected.
  Way selectedWay() const {
    return state.SelectedWay >= 0 && state.SelectedWay < kWayCount
               ? static_cast<Way>(state.SelectedWay)
               : Way::Main;
  }
};

}  // namespace lyra
