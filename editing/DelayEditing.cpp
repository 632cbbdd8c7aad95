#include "editing/DelayEditing.h"

#include "edits/ChannelFrames.h"
#include "model/ParameterScales.h"
#include "model/ValueFormat.h"

namespace lyra {

namespace {

QString msText(int steps) {
  return QString::fromStdString(FormatMs(DelayMs(steps)));
}

}  // namespace

DelayEditing::DelayEditing(EditingContext& context, DelayPanel& panel)
    : c_(context), panel_(panel) {
  QObject::connect(panel_.ScrollBar1, &QScrollBar::valueChanged, [this] { ScrollBar1Change(); });
  QObject::connect(panel_.scrlbr1, &QScrollBar::valueChanged, [this] { scrlbr1Change(); });
  // Delays are never negative: "-" is not even typed.
  const TypedEntry::Field delay = {
      .enterRearms = true, .selectAllWhenUnparsable = true, .accept = {}};
  TypedEntry::Field system = delay;
  system.accept = [this](QLineEdit*) { RzEdit18Exit(); };
  TypedEntry::Field satellite = delay;
  satellite.accept = [this](QLineEdit*) { edt1Exit(); };
  c_.typed.add(panel_.RzEdit18, system);
  c_.typed.add(panel_.edt1, satellite);
}

void DelayEditing::showSystem(int steps) {
  DelayPanel::showDelay(steps, panel_.RzEdit18, panel_.lbl9, panel_.RzLabel3, panel_.RzLabel20);
  c_.typed.showValue(panel_.RzEdit18, msText(steps));
}

void DelayEditing::showSatellite(int steps) {
  DelayPanel::showDelay(steps, panel_.edt1, panel_.lbl4, panel_.lbl1, panel_.lbl2);
  c_.typed.showValue(panel_.edt1, msText(steps));
}

void DelayEditing::ScrollBar1Change() {
  if (c_.state.refreshing) return;  // the Main delay selection is moving the bar
  const int steps = panel_.ScrollBar1->value();
  c_.image.way(Way::Main).delaySteps = static_cast<std::uint16_t>(steps);
  showSystem(steps);
  sendChannel(c_.pump, c_.image, Way::Main, c_.address.BusAddress);
}

void DelayEditing::scrlbr1Change() {
  const int steps = panel_.scrlbr1->value();
  c_.image.way(Way::High).delaySteps = static_cast<std::uint16_t>(steps);
  showSatellite(steps);
  sendChannel(c_.pump, c_.image, Way::High, c_.address.BusAddress);
}

void DelayEditing::RzEdit18Exit() {
  const std::optional<TypedNumber> typed = TypedEntry::number(panel_.RzEdit18);
  if (!typed) {
    c_.typed.showValue(panel_.RzEdit18, panel_.lbl9->text());  // the last accepted milliseconds
    return;
  }
  const int steps = DelayStepsFromTyped(*typed);
  panel_.ScrollBar1->setValue(steps);
  c_.state.SelectedWay = WayIndex(Way::Main);
  c_.image.way(Way::Main).delaySteps = static_cast<std::uint16_t>(steps);
  showSystem(steps);
  sendChannel(c_.pump, c_.image, Way::Main, c_.address.BusAddress);
}

void DelayEditing::edt1Exit() {
  const std::optional<TypedNumber> typed = TypedEntry::number(panel_.edt1);
  if (!typed) {
    c_.typed.showValue(panel_.edt1, panel_.lbl4->text());
    return;
  }
  const int steps = DelayStepsFromTyped(*typed);
  panel_.scrlbr1->setValue(steps);
  c_.image.way(Way::High).delaySteps = static_cast<std::uint16_t>(steps);
  showSatellite(steps);
  sendChannel(c_.pump, c_.image, Way::High, c_.address.BusAddress);
}

}  // namespace lyra
