#pragma once
// The behaviour of the editing pages, made once by the window: the shared typed entry and one
// object per panel, wired to the panels' controls when constructed. The window keeps this as one
// member; everything it needs comes in here by reference.

#include <functional>

#include "editing/DelayEditing.h"
#include "editing/DelayPanel.h"
#include "editing/EditingContext.h"
#include "editing/EqualizerEditing.h"
#include "editing/FilterEditing.h"
#include "editing/FiltersReset.h"
#include "editing/LevelEditing.h"

namespace lyra {

class EditingWiring {
 public:
  struct Panels {
    EqualizerPanel& equalizer;
    FilterPanel& filters;
    LevelPanel& levels;
    DelayPanel& delays;
  };

  // onConnectReset is the connection's hook that runs on every connect; the "Filters reset"
  // progress is forgotten there. Hooks already set are kept and run first.
  EditingWiring(PresetImage& image, EditingState& state, Panels panels, ResponseGraph& graph,
                SendPump& pump, const BusAddressing& address, FiltersReset::WaitBox waitBox,
                std::function<void()>& onConnectReset);
  EditingWiring(const EditingWiring&) = delete;
  EditingWiring& operator=(const EditingWiring&) = delete;

  TypedEntry typed;
  EditingContext context;
  EqualizerEditing equalizer;
  FiltersReset filtersReset;
  FilterEditing filters;
  LevelEditing levels;
  DelayEditing delays;
};

}  // namespace lyra
