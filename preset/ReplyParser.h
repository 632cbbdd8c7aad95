#pragma once
// The one place where the device's replies are understood.
//
// The serial link appends received bytes to ReceiveText as hex and calls parseReplies() once per
// notification. The parser looks at the front of the text, recognises complete replies by their
// header and length, applies them, removes what it consumed, and finishes the operations that
// wait for a reply: it stops their time-outs, clears their waiting flags and starts their
// follow-up timers. A reply not yet complete waits for the next call; text that cannot be the
// start of a reply is thrown away.
//
// The parser never examines BusAddress, checksum or trailer: a corrupted reply with an intact
// header is taken as it stands, and the decoder's range rule keeps its indices in their scales.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "preset/PresetImage.h"
#include "protocol/BusAddressing.h"
#include "protocol/SendPump.h"
#include "serial/SerialLink.h"
#include "timing/TimerTable.h"

namespace lyra {

// Set to 1 by an operation just before its request; cleared here when the reply arrives.
struct WaitingFlags {
  int IdAckAwaited = 0;        // a SystemRecord write (new DeviceId)
  int SaveAckAwaited = 0;      // a user preset name save
  int LoadSlotAwaited = 0;     // a stored preset was loaded; its block is awaited
  int CollectAllBlocks = 0;    // save all presets: stored blocks are collected
  int SaveActiveToPc = 0;      // save this preset: the active block goes to a file
  int CopyActiveForGroup = 0;  // initial data from one device: its block goes to the group
  int Searching = 0;           // a bus search: status replies are hits
};

// Blocks on their way to or from files and the group upload.
struct PresetTransfer {
  std::vector<std::string> presetList;  // the lines of a file being saved or loaded
  // What the next save dialog writes, taken from presetList when the last block came in: a load
  // begun before the dialog asks reuses presetList and must not change what is saved.
  std::vector<std::string> linesToSave;
  std::string UploadText;               // the PresetBlockText the next upload sends
  int UploadCounter = 0;                // 25 for the active preset, 1..20 for stored blocks
  int collectedBlocks = 0;              // stored blocks received during save all, 0..20
};

class ReplyParser {
 public:
  ReplyParser(SerialLink& link, PresetImage& image, TimerTable& timers, SendPump& pump,
              const BusAddressing& address, WaitingFlags& flags, PresetTransfer& transfer);

  void parseReplies();

  // What the window shows of a reply. Each is optional.
  struct Hooks {
    std::function<void(const std::string&)> statusText;         // status bar panel 2
    std::function<void(const std::string&)> lastLoadedPreset;   // the "Last loaded preset" label
    std::function<void(int)> temperatureLimit;                  // the hidden temperature list
    std::function<void()> searchHit;           // a status reply while Searching
    std::function<void()> presetDecoded;       // refresh every control from the image
    std::function<void()> loadFinished;        // a slot load is complete: wait box away
    std::function<void()> allBlocksCollected;  // save all: the 20th block is in
    std::function<void()> namesArrived;        // fill the preset lists from the NameTable
  } hooks;

  // Texts the parser shows, for the status bar and the label.
  static std::string statusTextFor(int temperatureReading, int attenuation);
  static std::string lastLoadedPresetText(int lastPresetNumber);

 private:
  bool textAt(std::size_t position, std::string_view s) const;  // never reads past the end
  bool codeIs(std::string_view code) const;                     // characters 9..20
  void remove(std::size_t characters);
  int payloadByte(int j) const;
  void systemRecordReply();
  void statusReply();
  void storedBlockReply();
  // False when the call ends with this reply.
  bool activeBlockReply();
  void nameTableReply();

  SerialLink& link_;
  std::string& text_;  // ReceiveText
  PresetImage& image_;
  TimerTable& timers_;
  SendPump& pump_;
  const BusAddressing& address_;
  WaitingFlags& flags_;
  PresetTransfer& transfer_;
};

}  // namespace lyra
