#include "app/PresetExchange.h"

#include "preset/PresetDecoder.h"

namespace lyra {

namespace {
constexpr int kWaitBoxLeft = 208;
constexpr int kWaitBoxTop = 232;
}  // namespace

bool PresetExchange::confirmed(const char* question) const {
  return dialogs.question(question, Dialogs::Buttons::YesNo) == Dialogs::Answer::Yes;
}

void PresetExchange::showWaitBox(int percent) {
  areas.RzGroupBox1->move(kWaitBoxLeft, kWaitBoxTop);
  areas.waitProgress->setValue(percent);
  areas.RzGroupBox1->show();
  areas.RzGroupBox1->raise();
}

void PresetExchange::setProgress(int percent) {
  areas.waitProgress->setValue(percent);
}

void PresetExchange::hideWaitBox() {
  areas.RzGroupBox1->hide();
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

void PresetExchange::upload() {
  if (!link.PortOpen()) return;
  const auto target = UploadTargetForCounter(transfer.UploadCounter);
  if (!target) return;
  const auto body = BuildUploadBody(transfer.UploadText, address.BusAddress, *target);
  if (!body) return;
  pump.sendNow(*body);
  if (transfer.UploadCounter >= 1 && transfer.UploadCounter < 20) timers.Timer10.start();
}

void PresetExchange::decodeUploadText() {
  // Every caller checked the text first; a text without data leaves the image as it is.
  if (DecodePresetBlock(transfer.UploadText, image) && showDecodedPreset) showDecodedPreset();
  pump.clearAllSlots();
  link.ReceiveText.clear();
}

}  // namespace lyra
