#pragma once
// The send slots and the SendPump: how parameter writes reach the device.
//
// Every editing control stores its newest 20-byte write frame in its own numbered slot; a slot
// holds only its newest frame, so a slider moved fast sends what it ended on, not every step.
// The pump writes the lowest pending slot, at most one about every 510 ms:
//   sendTimer (10 ms) takes the slot and holds off the status poll (it sleeps while no slot
//   is pending, so an idle connection costs no wake-ups),
//   Timer7 (200 ms later) writes it, reading the slot's bytes at that moment,
//   Timer4 (300 ms later) resumes the poll and the pump.
// The poll is the LinkSupervisor's: the pump asks it to hold off and to go on (PollHold), and it
// asks the pump to rest and to go on (pauseSends, resumeSends); neither starts the other's timers.

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "protocol/BusAddressing.h"
#include "protocol/CommandFrame.h"
#include "serial/SerialLink.h"
#include "timing/TimerTable.h"

namespace lyra {

// What the pump asks of the poll's owner: to hold the poll off while a slot is taken and written,
// and to let it go (and the pump with it) 300 ms after the write.
class PollHold {
 public:
  virtual void holdForSend() = 0;
  virtual void releaseAfterSend() = 0;

 protected:
  ~PollHold() = default;
};

class SendPump {
 public:
  SendPump(TimerTable& timers, SerialLink& link, const BusAddressing& address);
  // The owner of the poll that the pump holds off while it sends (the supervisor attaches
  // itself). Without one there is no poll, and the pump only resumes itself.
  void attach(PollHold& poll) { poll_ = &poll; }

  // The pump rests (sendTimer stops; a slot already taken is still written) / takes slots again.
  void pauseSends();
  void resumeSends();

  // Stores the frame in slot 1..36 and marks it pending; nothing while PortOpen is clear.
  void queueParameterWrite(int slot, const Frame& frame);
  // Marks slot 37 pending; its frame is built when it is written, with the BusAddress then.
  void queueSystemRecordRead();
  enum class ReceiveText { Keep, Clear };
  // Writes a frame at once, outside the slots. A request that expects a reply clears
  // ReceiveText first, so the reply is the only thing the parser finds.
  void sendNow(std::span<const std::uint8_t> frame, ReceiveText receive = ReceiveText::Keep);
  // Forgets every pending slot (on connect, and when a decoded block makes the image equal
  // what the device holds).
  void clearAllSlots();
  // On disconnect: the pump stops, and a slot taken but not yet written is dropped with it, so
  // no stale frame leaves on the next connection. Pending flags are kept.
  void stop();

  bool isPending(int slot) const;
  bool portOpen() const { return link_.PortOpen(); }
  const Frame& slotFrame(int slot) const;
  int takenSlot() const { return takenSlot_; }
  // Who the frames go to: the connected device's BusAddress (0xFF in BroadcastMode).
  const BusAddressing& address() const { return address_; }

  // Runs after every slot write; the "Filters reset" progress counts its frames here.
  std::function<void()> onSlotWritten;
  // Runs after clearAllSlots(): frames someone waits to see written will never go out.
  std::function<void()> onSlotsCleared;

 private:
  bool anyPending() const;
  void sendTimerTick();
  void Timer7Tick();
  void Timer4Tick();
  void writeFrame(std::span<const std::uint8_t> frame);

  struct Slot {
    Frame frame;
    int pending = 0;
  };
  TimerTable& timers_;
  SerialLink& link_;
  const BusAddressing& address_;
  std::array<Slot, kSlotCount + 1> slots_{};  // [0] unused: slots are numbered 1..50
  int takenSlot_ = 0;
  PollHold* poll_ = nullptr;
};

}  // namespace lyra
