#include "preset/ReplyParser.h"

#include "graph/ParameterScales.h"
#include "preset/PresetDecoder.h"
#include "protocol/CommandFrame.h"

namespace lyra {

namespace {
constexpr std::size_t kShortReplyChars = 40;   // SystemRecord and StatusRecord replies
constexpr std::size_t kAckChars = 24;          // acknowledgements
constexpr std::size_t kBlockChars = 664;       // preset blocks
constexpr std::size_t kNameTableChars = 824;   // 400 bytes of names
constexpr std::size_t kGarbageChars = 1000;    // no reply is this long: the text is lost
constexpr int kHighestReading = 5118;
constexpr int kStoredBlockCount = 20;
}  // namespace

ReplyParser::ReplyParser(SerialLink& link, PresetImage& image, TimerTable& timers, SendPump& pump,
                         const BusAddressing& address, WaitingFlags& flags,
                         PresetTransfer& transfer)
    : link_(link),
      text_(link.ReceiveText),
      image_(image),
      timers_(timers),
      pump_(pump),
      address_(address),
      flags_(flags),
      transfer_(transfer) {}

bool ReplyParser::textAt(std::size_t position, std::string_view s) const {
  return text_.size() >= position + s.size() && text_.compare(position, s.size(), s) == 0;
}

bool ReplyParser::codeIs(std::string_view code) const { return textAt(8, code); }

void ReplyParser::remove(std::size_t characters) {
  if (text_.size() > characters) {
    text_.erase(0, characters);
  } else {
    text_.clear();
  }
}

int ReplyParser::payloadByte(int j) const {
  const std::size_t at = 20 + 2 * static_cast<std::size_t>(j);
  if (at + 2 > text_.size()) return 0;
  auto digit = [](char c) { return c <= '9' ? c - '0' : (c & ~0x20) - 'A' + 10; };
  return digit(text_[at]) * 16 + digit(text_[at + 1]);
}

std::string ReplyParser::statusTextFor(int temperatureReading, int attenuation) {
  const int index = TemperatureIndex(std::min(temperatureReading, kHighestReading));
  const std::string tail = " |   Attenuation dB:  " + std::to_string(attenuation) + " dB";
  if (index == 0) return "Internal Temperature: >=70 'C" + tail;
  if (index == kMaxTemperatureIndex) return "Internal Temperature: <=10 'C" + tail;
  return "Internal Temperature: " + std::to_string(TemperatureCelsius(index)) + "'C" + tail;
}

std::string ReplyParser::lastLoadedPresetText(int n) {
  return std::string(n <= 6 ? "Last loaded preset:Pre" : "Last loaded preset:Usr") +
         std::to_string(n - 1) + "         ";
}

void ReplyParser::parseReplies() {
  // Anything received ends the first-contact time-out and the watchdog's current wait.
  timers_.chcon.stop();
  timers_.intimer.stop();
  if (text_.size() >= kGarbageChars) text_.clear();
  if (!textAt(0, "A5A5A5")) text_.clear();

  if (codeIs("520021000008") && text_.size() >= kShortReplyChars) systemRecordReply();
  if (codeIs("52002B000008") && text_.size() >= kShortReplyChars) return statusReply();
  if (codeIs("510021000000") && text_.size() >= kAckChars) {
    if (flags_.IdAckAwaited == 1) {
      flags_.IdAckAwaited = 0;
      timers_.Timer2.start();
    }
    remove(kAckChars);
  }
  if (codeIs("510000000000") && text_.size() >= kAckChars) {
    if (flags_.SaveAckAwaited == 1) {
      flags_.SaveAckAwaited = 0;
      timers_.Timer11.start();
    }
    remove(kAckChars);
  }
  if (text_.size() >= kBlockChars && textAt(8, "52") && textAt(12, "29") &&
      flags_.CollectAllBlocks == 1) {
    storedBlockReply();
  }
  if (text_.size() >= kBlockChars && textAt(8, "52") && textAt(12, "28")) {
    if (!activeBlockReply()) return;
  }
  if (textAt(8, "520026") && text_.size() >= kNameTableChars) nameTableReply();
}

void ReplyParser::systemRecordReply() {
  SystemRecord& s = image_.system;
  s.lastPresetNumber = static_cast<std::uint8_t>(payloadByte(0));
  s.storedBytes = {static_cast<std::uint8_t>(payloadByte(1)),
                   static_cast<std::uint8_t>(payloadByte(2))};
  s.temperatureLimit = static_cast<std::uint8_t>(payloadByte(5));
  if (hooks.temperatureLimit) hooks.temperatureLimit(s.temperatureLimit);
  if (hooks.lastLoadedPreset) hooks.lastLoadedPreset(lastLoadedPresetText(s.lastPresetNumber));
  remove(kShortReplyChars);
}

void ReplyParser::statusReply() {
  if (flags_.Searching == 1 && hooks.searchHit) hooks.searchHit();
  const int reading = payloadByte(2) * 256 + payloadByte(3);
  if (hooks.statusText) hooks.statusText(statusTextFor(reading, payloadByte(4)));
  remove(kShortReplyChars);
}

void ReplyParser::storedBlockReply() {
  transfer_.presetList.push_back(text_.substr(0, kBlockChars));
  remove(kBlockChars);
  if (++transfer_.collectedBlocks < kStoredBlockCount) return;
  timers_.Timer9.stop();
  if (hooks.allBlocksCollected) hooks.allBlocksCollected();
  transfer_.collectedBlocks = 0;
  flags_.CollectAllBlocks = 0;
  transfer_.linesToSave = transfer_.presetList;
  timers_.FSaveDialog4.start();
  timers_.Timer1.start();
  timers_.sendTimer.start();
}

bool ReplyParser::activeBlockReply() {
  timers_.chcon112.stop();
  if (flags_.CopyActiveForGroup == 1) {
    // The group upload takes the text from here and clears ReceiveText itself.
    flags_.CopyActiveForGroup = 0;
    transfer_.UploadText = text_;
    timers_.trunon1.start();
    return false;
  }
  if (flags_.SaveActiveToPc == 1) {
    flags_.SaveActiveToPc = 0;
    transfer_.presetList.assign(1, text_.substr(0, kBlockChars));
    transfer_.linesToSave = transfer_.presetList;
    text_.clear();
    timers_.FSaveDialog3.start();
    timers_.Timer1.start();
    timers_.sendTimer.start();
    return false;
  }
  // A block from the device is hexadecimal by construction, so the decode cannot fail here.
  (void)DecodePresetBlock(text_, image_);
  if (hooks.presetDecoded) hooks.presetDecoded();
  // The image now holds what the device holds: nothing the refresh queued may be sent back.
  pump_.clearAllSlots();
  text_.clear();
  if (flags_.LoadSlotAwaited == 1) {
    flags_.LoadSlotAwaited = 0;
    pump_.queueSystemRecordRead();
    timers_.Timer22.stop();
    if (hooks.loadFinished) hooks.loadFinished();
    timers_.Timer1.start();
    timers_.sendTimer.start();
    return false;
  }
  // The block answered the connect request: ask for the names next.
  link_.TransmitBuffer.clear();
  pump_.sendNow(readNameTable(address_.BusAddress), SendPump::ReceiveText::Clear);
  return true;
}

void ReplyParser::nameTableReply() {
  timers_.chcon188.stop();
  for (int k = 0; k < NameTable::kCount; ++k)
    for (int i = 0; i < NameTable::kLength; ++i)
      image_.names.names[static_cast<size_t>(k)][static_cast<size_t>(i)] =
          static_cast<std::uint8_t>(payloadByte(k * NameTable::kLength + i));
  if (hooks.namesArrived) hooks.namesArrived();
  text_.clear();
  pump_.queueSystemRecordRead();
  timers_.sendTimer.start();
  timers_.Timer1.start();
}

}  // namespace lyra
