#pragma once
// The one place where the device's replies are understood and routed.
//
// The serial link appends received bytes to ReceiveText as hex and calls parseReplies() once per
// notification. The parser looks at the front of the text, recognises complete replies by their
// header and length, applies what belongs to the PresetImage, and offers each reply to the owners
// that installed a handler for it (route()): the connection, the device presets, the PC files,
// the group initial data, the DeviceId change and the search. Each owner finishes its own
// operation: it stops its time-out, clears its waiting flag and starts its follow-up. The table
// in ReplyParser.cpp says which reply ends what and whose handler takes it. A reply not yet
// complete waits for the next call; text before the next preamble (A5 A5 A5) cannot be the start
// of a reply and is thrown away; a
// complete reply that no one takes is dropped.
//
// Every complete reply of one read is handled in that read, in the order of the text. A preset
// block is decoded into the image only when it comes from the connected BusAddress; the search
// credits a status reply to the BusAddress it carries. Checksums and trailers are not examined
// here: a corrupted reply with an intact header is taken as it stands, and the decoder's range
// rule keeps its indices in their scales (what becomes a file or reaches a group is checked by
// its owner).
//
// The parser reads and routes; it drives neither the link supervisor nor the SendPump. What they
// do on a reply (the watchdog hears the line, the pump drops what a decoded block makes stale)
// they do through linkHooks, which their composition answers (sessions/ReplyWiring.h).

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "preset/StatusRecord.h"
#include "preset/PresetImage.h"
#include "serial/SerialLink.h"

namespace lyra {

// Set to 1 by an operation just before its request; cleared by its owner when the reply arrives.
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
  // What the next save dialog writes, taken when the last block came in: a load begun before the
  // dialog asks reuses presetList and must not change what is saved.
  std::vector<std::string> linesToSave;
  std::string UploadText;               // the PresetBlockText the next upload sends
  int UploadCounter = 0;                // 25 for the active preset, 1..20 for stored blocks
};

// The replies the device sends, and one step that follows a reply rather than a header.
enum class Reply {
  AnyBytes,      // anything received at all (before the replies in it)
  SystemRecord,  // 52 00 21: the system record
  Status,        // 52 00 2B: temperature and attenuation
  IdAck,         // 51 00 21: a SystemRecord write was taken
  SaveAck,       // 51 00 00: a name save (and any parameter write) was taken
  StoredBlock,   // 52 nn 29: stored block nn of 20
  ActiveBlock,   // 52 nn 28: a preset block, before it is decoded
  ActivePreset,  // the same block once decoded into the image, when no one took it raw
  NameTable,     // 52 00 26: the eight preset names
};
inline constexpr std::size_t kReplyKinds = 9;

// Who handles replies. When two wait for the same reply at once, the one earlier here takes it.
enum class Owner { GroupInitialData, PcFiles, DevicePresets, Connection, DeviceIdentity, Search };

// The reply at the front of ReceiveText, as an owner sees it.
class ReceivedReply {
 public:
  explicit ReceivedReply(std::string& text) : text_(text) {}
  // Payload byte j (0 = the first after the length); 0 past the end.
  int payloadByte(int j) const;
  int index() const;  // the frame's index byte (the block number of a stored block)
  int busAddress() const;  // the BusAddress of the device that sent it
  // A status reply's record, with the BusAddress it came from.
  StatusRecord status() const;
  // The reply's first frameBytes bytes came through the line whole: the check byte is the XOR
  // of bytes 3 to frameBytes - 3 and the last is 0xAA.
  bool hasIntactFrame(std::size_t frameBytes) const;
  // The reply to a read of the active preset from the device at busAddress. A slot load's block
  // (index 1..8) and another device's block hold other data than that read asked for.
  bool isActivePresetOf(std::uint8_t address) const {
    return index() == 0 && busAddress() == address;
  }
  const std::string& text() const { return text_; }
  // The owner took the whole of ReceiveText (the group upload keeps it as its UploadText).
  void clearAll() { text_.clear(); }

 private:
  std::string& text_;
};

class ReplyParser {
 public:
  ReplyParser(SerialLink& link, PresetImage& image);

  void parseReplies();

  // A handler answers whether it took the reply; the first owner that does ends the offer.
  using Handler = std::function<bool(ReceivedReply&)>;
  void route(Reply reply, Owner owner, Handler handler);

  // What the window shows of a reply. Each is optional.
  struct Hooks {
    std::function<void(const StatusRecord&)> status;  // each status reply, decoded
    std::function<void(const std::string&)> lastLoadedPreset;  // the "Last loaded preset" label
    std::function<void(int)> temperatureLimit;                 // the hidden temperature list
    std::function<void()> presetDecoded;  // refresh every control from the image
    std::function<void()> namesArrived;   // fill the preset lists from the NameTable
  } hooks;

  // What the link's owners do on a reply, at the moments the comments name; set once by their
  // composition (WiredReplyParser).
  struct LinkHooks {
    // Anything received, before any reply in it is looked at: ends the watchdog's wait.
    std::function<void()> heard;
    // The BusAddress the program talks to: only its preset blocks are decoded into the image.
    // Without it every block is.
    std::function<std::uint8_t()> connectedBusAddress;
    // A block was decoded into the image and the controls refreshed from it: nothing that the
    // refresh queued may be sent back to the device.
    std::function<void()> imageReplaced;
  } linkHooks;

  // The window's texts: status bar panel 2 for a status, the label for the last preset.
  static std::string statusTextFor(const StatusRecord& status);
  static std::string statusTextFor(int temperatureReading, int attenuation) {
    return statusTextFor(StatusRecord{0, temperatureReading, attenuation});
  }
  static std::string lastLoadedPresetText(int lastPresetNumber);

 private:
  struct Installed {
    Owner owner;
    Handler handler;
  };
  bool offer(Reply reply);
  bool textAt(std::size_t position, std::string_view s) const;  // never reads past the end
  bool byteAt(std::size_t position, unsigned byte) const;  // the two hex characters of a byte
  bool isComplete(Reply reply) const;
  // The replies at the front, in their order, once; true when text is left.
  bool parsePass();
  // Text before the first preamble cannot start a reply and is thrown away.
  void dropToPreamble();
  void remove(std::size_t characters);
  void systemRecordReply();
  void statusReply();
  // False when the call ends with this reply.
  bool activeBlockReply();
  void nameTableReply();

  std::string& text_;  // ReceiveText
  PresetImage& image_;
  std::array<std::vector<Installed>, kReplyKinds> routes_;
};

}  // namespace lyra
