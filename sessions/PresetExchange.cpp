#include "sessions/PresetExchange.h"

#include "preset/PresetDecoder.h"

namespace lyra {

void PresetExchange::showWaitBox(int percent) const {
  events.progress({Progress::Step::Shown, percent});
}

void PresetExchange::setProgress(int percent) const {
  events.progress({Progress::Step::Moved, percent});
}

void PresetExchange::hideWaitBox() const { events.progress({Progress::Step::Hidden, 0}); }

void PresetExchange::setEditingEnabled(bool enabled) const {
  if (view.setEditingEnabled) view.setEditingEnabled(enabled);
}

void PresetExchange::showInitialDataBox(bool shown) const {
  if (view.showInitialDataBox) view.showInitialDataBox(shown);
}

void PresetExchange::sendRequest(const Frame& frame) {
  pump.sendNow(frame, SendPump::ReceiveText::Clear);
}

void PresetExchange::sendWithoutClearing(const Frame& frame) {
  pump.sendNow(frame, SendPump::ReceiveText::Keep);
}

void PresetExchange::writeUploadHeader(UploadTarget target) {
  const UploadHeader header = BuildUploadHeader(address.BusAddress, target);
  pump.sendNow(header);
}

bool PresetExchange::upload() {
  if (!link.PortOpen()) return false;
  const auto target = UploadTargetForCounter(transfer.UploadCounter);
  if (!target) return false;
  const auto body = BuildUploadBody(transfer.UploadText, address.BusAddress, *target);
  if (!body) return false;
  pump.sendNow(*body);
  return transfer.UploadCounter >= 1 && transfer.UploadCounter < 20;
}

void PresetExchange::decodeUploadText() {
  // Every caller checked the text first; a text without data leaves the image as it is.
  if (DecodePresetBlock(transfer.UploadText, image) && view.showDecodedPreset) {
    view.showDecodedPreset();
  }
  pump.clearAllSlots();
  link.ReceiveText.clear();
}

}  // namespace lyra
