#include "app/GraphPhase.h"

#include "editing/Controls.h"
#include "measure/ResponseData.h"

namespace lyra {

GraphPhase::GraphPhase(QWidget* graphBox, ResponseGraph& graph, const PresetImage& image,
                       const EditingState& editing)
    : graph_(graph), image_(image), editing_(editing) {
  // Over the graph's strip above its frame (image rows 0..16, right of the labels), made after
  // Image5 so it stays on top of it; dark like the graph around it.
  showPhase = ui::checkBox(graphBox, "showPhase", "Show phase", {620, 12, 106, 17});
  ui::describe(showPhase, "Show phase",
               "draws the Main path's phase on the graph, -180 to +180 degrees");
  QPalette palette = showPhase->palette();
  // A button fills its background with the Button role.
  palette.setColor(QPalette::Window, QColor(20, 20, 20));
  palette.setColor(QPalette::Button, QColor(20, 20, 20));
  palette.setColor(QPalette::WindowText, Qt::white);
  showPhase->setPalette(palette);
  showPhase->setAutoFillBackground(true);
  showPhase->setChecked(false);
  graph_.phaseOf = [this](int way, ColumnTotals& phaseDeg) { return phaseOf(way, phaseDeg); };
  QObject::connect(showPhase, &QCheckBox::toggled, [this] {
    // The stored curves as they are, with or without the phase over them.
    if (editing_.SelectedWay >= 0) graph_.ShowWay(editing_.SelectedWay);
  });
}

bool GraphPhase::phaseOf(int way, ColumnTotals& phaseDeg) const {
  if (!showPhase->isChecked() || way != static_cast<int>(Way::Main)) return false;
  MainPhaseAtColumns(image_, editing_.bypass, phaseDeg);
  return true;
}

}  // namespace lyra
