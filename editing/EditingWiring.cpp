#include "editing/EditingWiring.h"

namespace lyra {

namespace {

// Adds `then` after whatever the hook already runs, so that other parts can use it too.
void chain(std::function<void()>& hook, std::function<void()> then) {
  hook = [first = std::move(hook), then = std::move(then)] {
    if (first) first();
    then();
  };
}

}  // namespace

EditingWiring::EditingWiring(PresetImage& image, EditingState& state, Panels panels,
                             ResponseGraph& graph, SendPump& pump, const BusAddressing& address,
                             FiltersReset::WaitBox waitBox, std::function<void()>& onConnectReset)
    : typed(state),
      context{image, state, graph, pump, address, typed},
      equalizer(context, panels.equalizer),
      filtersReset(context, panels.equalizer, equalizer, std::move(waitBox)),
      filters(context, panels.filters),
      levels(context, panels.levels),
      delays(context, panels.delays) {
  chain(pump.onSlotWritten, [this] { filtersReset.slotWritten(); });
  chain(pump.onSlotsCleared, [this] { filtersReset.slotsCleared(); });
  chain(onConnectReset, [this] { filtersReset.reset(); });
}

}  // namespace lyra
