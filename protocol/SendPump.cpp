#include "protocol/SendPump.h"

#include <cassert>

namespace lyra {

SendPump::SendPump(TimerTable& timers, SerialLink& link, const BusAddressing& address)
    : timers_(timers), link_(link), address_(address) {
  timers_.sendTimer.onTick = [this] { sendTimerTick(); };
  timers_.Timer7.onTick = [this] { Timer7Tick(); };
  timers_.Timer4.onTick = [this] { Timer4Tick(); };
  // The 10 ms take only matters while a slot is pending; an idle pump sleeps until a queue.
  timers_.sendTimer.hasWork = [this] { return anyPending(); };
}

bool SendPump::anyPending() const {
  for (int n = 1; n <= kSlotCount; ++n)
    if (slots_[static_cast<size_t>(n)].pending == 1) return true;
  return false;
}

void SendPump::queueParameterWrite(int slot, const Frame& frame) {
  assert(slot >= 1 && slot <= kMainFiltersSlot);
  if (!link_.PortOpen()) return;
  slots_[static_cast<size_t>(slot)].frame = frame;
  slots_[static_cast<size_t>(slot)].pending = 1;
  timers_.sendTimer.wake();
}

void SendPump::queueSystemRecordRead() {
  slots_[kSystemRecordReadSlot].pending = 1;
  timers_.sendTimer.wake();
}

void SendPump::sendNow(std::span<const std::uint8_t> frame, ReceiveText receive) {
  if (receive == ReceiveText::Clear) link_.ReceiveText.clear();
  writeFrame(frame);
}

void SendPump::writeFrame(std::span<const std::uint8_t> frame) {
  link_.TransmitBuffer.assign(frame.begin(), frame.end());
  link_.write();
}

void SendPump::clearAllSlots() {
  for (Slot& s : slots_) s.pending = 0;
  if (onSlotsCleared) onSlotsCleared();
}

void SendPump::stop() {
  timers_.sendTimer.stop();
  timers_.Timer7.stop();
  timers_.Timer4.stop();
  takenSlot_ = 0;
}

void SendPump::pauseSends() { timers_.sendTimer.stop(); }
void SendPump::resumeSends() { timers_.sendTimer.start(); }

bool SendPump::isPending(int slot) const {
  return slot >= 1 && slot <= kSlotCount && slots_[static_cast<size_t>(slot)].pending == 1;
}

const Frame& SendPump::slotFrame(int slot) const { return slots_.at(static_cast<size_t>(slot)).frame; }

void SendPump::sendTimerTick() {
  if (!link_.PortOpen()) return;
  for (int n = 1; n <= kSlotCount; ++n) {
    Slot& s = slots_[static_cast<size_t>(n)];
    if (s.pending != 1) continue;
    s.pending = 0;
    takenSlot_ = n;
    timers_.sendTimer.stop();
    if (poll_) poll_->holdForSend();
    timers_.Timer7.start();
    return;
  }
}

void SendPump::Timer7Tick() {
  if (!link_.PortOpen()) return;
  timers_.Timer7.stop();
  if (takenSlot_ != 0) {
    // The slot's bytes are read now: a change made since the take goes out in this write.
    const Frame frame = takenSlot_ == kSystemRecordReadSlot
                            ? systemRecordRead(address_.BusAddress)
                            : slots_[static_cast<size_t>(takenSlot_)].frame;
    writeFrame(frame);
    // Nothing is read back in BroadcastMode, so every slot frame goes out twice.
    if (address_.isBroadcast()) writeFrame(frame);
    if (onSlotWritten) onSlotWritten();
  }
  takenSlot_ = 0;
  timers_.Timer4.start();
}

void SendPump::Timer4Tick() {
  timers_.Timer4.stop();
  if (poll_) {
    poll_->releaseAfterSend();
  } else {
    resumeSends();
  }
}

}  // namespace lyra
