#include "sessions/PresetSlotSession.h"

#include <algorithm>

#include "protocol/CommandFrame.h"

namespace lyra {

namespace {
constexpr int kSlotLoadProgressTicks = 10;
}  // namespace

PresetSlotSession::PresetSlotSession(PresetExchange& exchange)
    : x_(exchange), saveAckTimeout_(exchange.scheduler, "saveAckTimeout", kSaveAckTimeoutMs) {
  x_.timers.Timer3.onTick = [this] { Timer3Timer(); };
  x_.timers.Timer22.onTick = [this] { Timer22Timer(); };
  x_.timers.Timer11.onTick = [this] { Timer11Timer(); };
  saveAckTimeout_.onTick = [this] { saveAckTimeoutTimer(); };
  x_.parser.route(Reply::SaveAck, Owner::DevicePresets, [this](ReceivedReply&) {
    if (x_.flags.SaveAckAwaited != 1) return false;
    x_.flags.SaveAckAwaited = 0;
    x_.timers.Timer11.start();
    return true;
  });
  x_.parser.route(Reply::ActivePreset, Owner::DevicePresets, [this](ReceivedReply&) {
    if (x_.flags.LoadSlotAwaited != 1) return false;
    // The loaded slot is now the active preset, in the image and on every control.
    x_.flags.LoadSlotAwaited = 0;
    x_.pump.queueSystemRecordRead();
    x_.timers.Timer22.stop();
    x_.hideWaitBox();
    x_.setEditingEnabled(true);
    x_.supervisor.resume();
    x_.ended(Operation::SlotLoad, OutcomeKind::Loaded);
    return true;
  });
}

void PresetSlotSession::load(int slot) {
  if (!x_.portOpen()) return x_.ended(Operation::SlotLoad, OutcomeKind::NoLink);
  if (!x_.confirmed(Question::ReplaceActivePreset))
    return x_.ended(Operation::SlotLoad, OutcomeKind::Cancelled);
  x_.flags.LoadSlotAwaited = 1;
  x_.supervisor.pause();
  x_.scheduler.waitPumping(50);
  x_.link.ReceiveText.clear();
  x_.link.TransmitBuffer.clear();
  x_.sendRequest(loadStoredPreset(x_.address.BusAddress, slot));
  x_.timers.Timer22.start();
  loadProgressCount_ = 0;
  x_.timers.Timer3.start();
  x_.showWaitBox(0);
  x_.setEditingEnabled(false);
}

void PresetSlotSession::Timer3Timer() {
  ++loadProgressCount_;
  x_.setProgress(kSlotLoadProgressTicks * loadProgressCount_);
  if (loadProgressCount_ >= kSlotLoadProgressTicks) x_.timers.Timer3.stop();
}

void PresetSlotSession::Timer22Timer() {
  // The slot's block did not come: the image keeps what it held.
  x_.flags.LoadSlotAwaited = 0;
  x_.timers.Timer22.stop();
  x_.hideWaitBox();
  x_.setEditingEnabled(true);
  x_.supervisor.resume();
  x_.ended(Operation::SlotLoad, OutcomeKind::Overtime);
}

void PresetSlotSession::saveName(int slot, const std::string& name) {
  if (!x_.portOpen()) return x_.ended(Operation::NameSave, OutcomeKind::NoLink);
  x_.supervisor.pause();
  x_.flags.SaveAckAwaited = 1;
  const std::string text = name.substr(0, NameTable::kLength - 1);
  x_.link.ReceiveText.clear();
  x_.link.TransmitBuffer.clear();
  x_.sendRequest(saveUserPresetName(x_.address.BusAddress, slot, text));
  saveAckTimeout_.stop();
  saveAckTimeout_.start();
  // The image holds the new name at once; the device's NameTable is read again on the next
  // connect.
  auto& stored = x_.image.names.names[static_cast<std::size_t>(slot - 1)];
  stored.fill(0);
  std::copy(text.begin(), text.end(), stored.begin());

  x_.scheduler.waitPumping(100);
  x_.supervisor.resume();
}

void PresetSlotSession::Timer11Timer() {
  x_.timers.Timer11.stop();
  saveAckTimeout_.stop();
  x_.pump.queueSystemRecordRead();
  x_.ended(Operation::NameSave, OutcomeKind::Saved);
}

void PresetSlotSession::saveAckTimeoutTimer() {
  saveAckTimeout_.stop();
  if (x_.flags.SaveAckAwaited != 1) return;
  // The device acknowledges parameter writes with the same reply as a name save: a save left
  // waiting would take the next edit's acknowledgement for its own and report a save that never
  // happened. The user hears now that it did not answer instead.
  x_.flags.SaveAckAwaited = 0;
  x_.ended(Operation::NameSave, x_.portOpen() ? OutcomeKind::Overtime : OutcomeKind::NoLink);
}

}  // namespace lyra
