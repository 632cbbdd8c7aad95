#include "editing/EqualizerEditing.h"

#include "edits/ChannelFrames.h"
#include "edits/SendBand.h"

namespace lyra {

EqualizerEditing::EqualizerEditing(EditingContext& context, EqualizerPanel& panel)
    : c_(context), panel_(panel) {
  for (int r = 0; r < kBandsPerWay; ++r) {
    EqualizerPanel::Row& row = panel_.rows[static_cast<std::size_t>(r)];
    const struct {
      BandField field;
      QLineEdit* edit;
      SpinButtons spin;
    } fields[] = {{BandField::Frequency, row.frequency, row.frequencySpin},
                  {BandField::Q, row.q, row.qSpin},
                  {BandField::Gain, row.gain, row.gainSpin}};
    for (const auto& f : fields) {
      const BandField field = f.field;
      c_.typed.add(f.edit,
                   {.allowMinus = field == BandField::Gain,
                    .accept = [this, r, field](QLineEdit*) { bandEditAccepted(r, field); }});
      for (QToolButton* b : {f.spin.downLeft, f.spin.upRight}) b->setAutoRepeat(true);
      QObject::connect(f.spin.downLeft, &QToolButton::clicked,
                       [this, r, field] { bandSpinClick(r, field, -1); });
      QObject::connect(f.spin.upRight, &QToolButton::clicked,
                       [this, r, field] { bandSpinClick(r, field, +1); });
    }
    // activated: chosen by the user; the panel's own fill after a decode sends nothing.
    QObject::connect(row.type, &QComboBox::activated, [this, r] { typeChange(r); });
    QObject::connect(row.bypass, &QCheckBox::clicked, [this, r] { bypassClick(r); });
  }
  QObject::connect(panel_.RzButton98, &QPushButton::clicked, [this] { RzButton98Click(); });
}

BandSlot EqualizerEditing::slotOf(int row) const {
  return ToBandSlot(c_.selectedWay(), row);
}

QLineEdit* EqualizerEditing::editOf(int row, BandField field) const {
  const EqualizerPanel::Row& r = panel_.rows[static_cast<std::size_t>(row)];
  switch (field) {
    case BandField::Frequency:
      return r.frequency;
    case BandField::Q:
      return r.q;
    case BandField::Gain:
      break;
  }
  return r.gain;
}

QString EqualizerEditing::shownValue(int row, BandField field) const {
  return QString::fromStdString(bandFieldText(c_.image.band(slotOf(row)), field));
}

void EqualizerEditing::redrawAndSend(int row) {
  const BandSlot slot = slotOf(row);
  c_.graph.CurrentBandSlot = slot;
  c_.graph.RedrawBand(slot, c_.image.band(slot).type);
  send(slot);
}

void EqualizerEditing::send(BandSlot slot) {
  sendBand(c_.pump, c_.image, slot, c_.state.bypassed(RowOfSlot(slot)), c_.address.BusAddress);
}

void EqualizerEditing::bandEditAccepted(int row, BandField field) {
  QLineEdit* edit = editOf(row, field);
  const std::optional<TypedNumber> typed = TypedEntry::number(edit);
  if (!typed) {
    // Back to the value the band holds. That is the text the edit had when it was entered,
    // unless a spin click or a marker drag changed the band since; then it is the newer value.
    c_.typed.showValue(edit, shownValue(row, field));
    return;
  }
  setBandFieldIndex(c_.image.band(slotOf(row)), field, bandIndexFromTyped(field, *typed));
  c_.typed.showValue(edit, shownValue(row, field));
  redrawAndSend(row);
}

void EqualizerEditing::bandSpinClick(int row, BandField field, int step) {
  EqBand& band = c_.image.band(slotOf(row));
  const int last = static_cast<int>(bandFieldScale(field).size()) - 1;
  const int index = bandFieldIndex(band, field) + step;
  if (index < 0 || index > last) return;  // at the end of the scale the click does nothing
  setBandFieldIndex(band, field, index);
  c_.typed.showValue(editOf(row, field), shownValue(row, field));
  redrawAndSend(row);
}

void EqualizerEditing::typeChange(int row) {
  EqBand& band = c_.image.band(slotOf(row));
  const int type = panel_.rows[static_cast<std::size_t>(row)].type->currentIndex();
  if (type < 0 || type == band.type) return;  // the same type chosen again changes nothing
  band.type = static_cast<std::uint8_t>(type);
  // Both gains stay in the image; the edit shows the one the new type uses.
  c_.typed.showValue(editOf(row, BandField::Gain), shownValue(row, BandField::Gain));
  redrawAndSend(row);
}

void EqualizerEditing::bypassClick(int row) {
  if (panel_.suppressBypassClicks) return;
  // The image keeps its gain; the graph and the frame take the row's Bypass from the state.
  c_.state.bypass.at(static_cast<std::size_t>(row)) =
      panel_.rows[static_cast<std::size_t>(row)].bypass->isChecked();
  redrawAndSend(row);
}

void EqualizerEditing::clearBypass() {
  c_.state.bypass = {};
  panel_.clearBypass();
}

void EqualizerEditing::bandDragged(BandSlot slot) {
  const int row = RowOfSlot(slot);
  const EqBand& band = c_.image.band(slot);
  for (BandField field : {BandField::Frequency, BandField::Gain}) {
    c_.typed.showValue(editOf(row, field), QString::fromStdString(bandFieldText(band, field)));
  }
  send(slot);
}

void EqualizerEditing::RzButton98Click() {
  std::uint8_t& flag = c_.image.main.bassEnhancer;
  flag = flag == 1 ? 0 : 1;
  panel_.showBassEnhancer(flag);
  sendChannel(c_.pump, c_.image, Way::Main, c_.address.BusAddress);
}

}  // namespace lyra
