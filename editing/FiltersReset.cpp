#include "editing/FiltersReset.h"

#include "model/ParameterScales.h"

namespace lyra {

FiltersReset::FiltersReset(EditingContext& context, EqualizerPanel& panel,
                           EqualizerEditing& equalizer, WaitBox waitBox)
    : c_(context), panel_(panel), equalizer_(equalizer), wait_(std::move(waitBox)) {
  QObject::connect(panel_.RzButton97, &QPushButton::clicked, [this] { RzButton97Click(); });
}

void FiltersReset::RzButton97Click() {
  if (!c_.pump.portOpen()) return;
  wait_.box->move(208, 512);
  wait_.progress->setValue(0);
  wait_.box->show();
  wait_.box->raise();
  for (QWidget* w : wait_.disabledWhileRunning) w->setEnabled(false);
  running_ = true;
  count_ = 0;
  for (int row = 0; row < kBandsPerWay; ++row) {
    EqBand& band = c_.image.band(ToBandSlot(c_.selectedWay(), row));
    (band.type == kPeakingBand ? band.peqGain : band.shelfGain) = kZeroDbGainIndex;
    equalizer_.redrawAndSend(row);
  }
  for (EqualizerPanel::Row& row : panel_.rows) c_.typed.showValue(row.gain, "0");
}

void FiltersReset::slotWritten() {
  if (!running_) return;
  ++count_;
  wait_.progress->setValue(kPercentPerFrame * count_);
  if (count_ < kFrames) return;
  finish();
}

void FiltersReset::slotsCleared() {
  if (running_) finish();
}

void FiltersReset::finish() {
  running_ = false;
  wait_.box->hide();
  for (QWidget* w : wait_.disabledWhileRunning) w->setEnabled(true);
}

void FiltersReset::reset() {
  running_ = false;
  count_ = 0;
}

}  // namespace lyra
