#include "editing/FilterEditing.h"

#include "edits/ChannelFrames.h"
#include "edits/TypedEdits.h"
#include "model/ParameterScales.h"
#include "model/ValueFormat.h"

namespace lyra {

FilterEditing::FilterEditing(EditingContext& context, FilterPanel& panel)
    : c_(context), panel_(panel) {
  for (FilterEdge edge : {FilterEdge::HighPass, FilterEdge::LowPass}) {
    const bool high = edge == FilterEdge::HighPass;
    c_.typed.add(editOf(edge), {.accept = [this, edge](QLineEdit*) { frequencyAccepted(edge); }});
    const SpinButtons spin = high ? panel_.RzSpinButtons181 : panel_.RzSpinButtons182;
    for (QToolButton* b : {spin.downLeft, spin.upRight}) b->setAutoRepeat(true);
    QObject::connect(spin.downLeft, &QToolButton::clicked, [this, edge] { spinClick(edge, -1); });
    QObject::connect(spin.upRight, &QToolButton::clicked, [this, edge] { spinClick(edge, +1); });
    QComboBox* type = high ? panel_.RzComboBox69 : panel_.RzComboBox71;
    QObject::connect(type, &QComboBox::activated, [this, edge] { typeChange(edge); });
  }
}

std::uint8_t& FilterEditing::frequencyOf(FilterEdge edge) {
  WaySettings& way = c_.image.way(c_.selectedWay());
  return edge == FilterEdge::HighPass ? way.hpfFrequency : way.lpfFrequency;
}

QLineEdit* FilterEditing::editOf(FilterEdge edge) const {
  return edge == FilterEdge::HighPass ? panel_.RzEdit205 : panel_.RzEdit206;
}

void FilterEditing::showFrequency(FilterEdge edge) {
  c_.typed.showValue(
      editOf(edge),
      QString::fromStdString(FormatFrequency(ValueOf(FrequencyScale, frequencyOf(edge)))));
}

void FilterEditing::redrawAndSend(FilterEdge edge) {
  const Way way = c_.selectedWay();
  const WaySettings& w = c_.image.way(way);
  c_.graph.RedrawFilter(WayIndex(way), edge, edge == FilterEdge::HighPass ? w.hpfType : w.lpfType);
  sendFilters(c_.pump, c_.image, way, c_.address.BusAddress);
}

void FilterEditing::frequencyAccepted(FilterEdge edge) {
  const std::optional<TypedNumber> typed = TypedEntry::number(editOf(edge));
  if (typed) {
    // Clamped to 19.7 .. 21900 Hz; a value midway takes the lower frequency.
    frequencyOf(edge) = static_cast<std::uint8_t>(frequencyIndexFromTyped(*typed));
  }
  showFrequency(edge);  // the snapped value, or the stored one again for text that is no number
  if (typed) redrawAndSend(edge);
}

void FilterEditing::spinClick(FilterEdge edge, int step) {
  std::uint8_t& frequency = frequencyOf(edge);
  const int index = frequency + step;
  if (index < 0 || index > kMaxFrequencyIndex) return;
  frequency = static_cast<std::uint8_t>(index);
  showFrequency(edge);
  redrawAndSend(edge);
}

void FilterEditing::typeChange(FilterEdge edge) {
  WaySettings& way = c_.image.way(c_.selectedWay());
  const bool high = edge == FilterEdge::HighPass;
  const int index = (high ? panel_.RzComboBox69 : panel_.RzComboBox71)->currentIndex();
  std::uint8_t& type = high ? way.hpfType : way.lpfType;
  if (index < 0 || index == type) return;
  type = static_cast<std::uint8_t>(index);
  redrawAndSend(edge);
}

}  // namespace lyra
