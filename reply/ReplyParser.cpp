#include "reply/ReplyParser.h"

#include <algorithm>
#include <optional>

#include "model/FrameFields.h"
#include "model/ParameterScales.h"
#include "preset/PresetDecoder.h"

namespace lyra {

namespace {
constexpr std::size_t kGarbageChars = 1000;  // no reply is this long: the text is lost

// How a reply is recognised at the front of ReceiveText: its header fields from character 8 on
// (command, index, group, item, length), each two hex characters a byte, and its whole length.
struct ReplyShape {
  Reply reply;
  std::uint8_t command;
  std::optional<std::uint8_t> index;  // any index when empty
  std::uint8_t group;
  bool itemAndLength;  // item 0 and the payload length are part of the header
  std::uint16_t payloadBytes;
  std::size_t chars;
  const char* ends;     // what the reply ends
  const char* takenBy;  // whose handler takes it
};

// Checked in this order on every call.
constexpr ReplyShape kRoutes[] = {
    {Reply::SystemRecord, command::kReadReply, 0, group::kSystemRecord, true, 8, 40,
     "nothing; the image's system record and the last-loaded label", "the parser"},
    {Reply::Status, command::kReadReply, 0, group::kStatusRecord, true, 8, 40,
     "a search probe's wait (a hit); ends this call", "Search; the status bar"},
    {Reply::IdAck, command::kAcknowledge, 0, group::kSystemRecord, true, 0, 24,
     "a DeviceId change (Timer2 shows the new ID)", "DeviceIdentity"},
    {Reply::SaveAck, command::kAcknowledge, 0, group::kWriteAcknowledged, true, 0, 24,
     "a name save (Timer11 reads the system record again)", "DevicePresets"},
    {Reply::StoredBlock, command::kReadReply, std::nullopt, group::kStoredBlock, false, 0, 664,
     "one of save-all's twenty blocks (the last stops Timer9)", "PcFiles"},
    {Reply::ActiveBlock, command::kReadReply, std::nullopt, group::kPresetData, false, 0, 664,
     "initial data from one device (trunon1) or save this preset (FSaveDialog3); else decoded "
     "into the image, then ActivePreset: a slot load (Timer22) or the connect's wait for the "
     "block (chcon112)",
     "GroupInitialData, PcFiles; DevicePresets, Connection"},
    {Reply::NameTable, command::kReadReply, 0, group::kNameTable, false, 0, 824,
     "the connect's wait for the names (chcon188)", "Connection"},
};

constexpr char kDigits[] = "0123456789ABCDEF";

std::string hexByte(unsigned byte) { return {kDigits[(byte >> 4) & 0x0F], kDigits[byte & 0x0F]}; }

int hexDigit(char c) { return c <= '9' ? c - '0' : (c & ~0x20) - 'A' + 10; }

const ReplyShape& shapeOf(Reply reply) {
  // Looked up on every parser call for every shape: by the reply's place, not by a search.
  static const auto kByReply = [] {
    std::array<const ReplyShape*, kReplyKinds> byReply{};
    for (const ReplyShape& s : kRoutes) byReply[static_cast<std::size_t>(s.reply)] = &s;
    return byReply;
  }();
  return *kByReply[static_cast<std::size_t>(reply)];
}

}  // namespace

int ReceivedReply::payloadByte(int j) const {
  const std::size_t at = 20 + 2 * static_cast<std::size_t>(j);
  if (at + 2 > text_.size()) return 0;
  return hexDigit(text_[at]) * 16 + hexDigit(text_[at + 1]);
}

int ReceivedReply::index() const {
  if (text_.size() < 12) return -1;
  return hexDigit(text_[10]) * 16 + hexDigit(text_[11]);
}

int ReceivedReply::busAddress() const {
  if (text_.size() < 8) return -1;
  return hexDigit(text_[6]) * 16 + hexDigit(text_[7]);
}

StatusRecord ReceivedReply::status() const {
  return {busAddress(), payloadByte(2) * 256 + payloadByte(3), payloadByte(4)};
}

bool ReceivedReply::hasIntactFrame(std::size_t frameBytes) const {
  if (frameBytes < 5 || text_.size() < 2 * frameBytes) return false;
  const auto byte = [this](std::size_t k) {
    return hexDigit(text_[2 * k]) * 16 + hexDigit(text_[2 * k + 1]);
  };
  int sum = 0;
  for (std::size_t k = 3; k + 2 < frameBytes; ++k) sum ^= byte(k);
  return byte(frameBytes - 2) == sum && byte(frameBytes - 1) == 0xAA;
}

ReplyParser::ReplyParser(SerialLink& link, PresetImage& image)
    : text_(link.ReceiveText), image_(image) {}

void ReplyParser::route(Reply reply, Owner owner, Handler handler) {
  auto& installed = routes_[static_cast<std::size_t>(reply)];
  installed.push_back({owner, std::move(handler)});
  std::stable_sort(installed.begin(), installed.end(),
                   [](const Installed& a, const Installed& b) { return a.owner < b.owner; });
}

bool ReplyParser::offer(Reply reply) {
  ReceivedReply received(text_);
  for (const Installed& i : routes_[static_cast<std::size_t>(reply)]) {
    if (i.handler(received)) return true;
  }
  return false;
}

bool ReplyParser::textAt(std::size_t position, std::string_view s) const {
  return text_.size() >= position + s.size() && text_.compare(position, s.size(), s) == 0;
}

bool ReplyParser::byteAt(std::size_t position, unsigned byte) const {
  return text_.size() >= position + 2 && text_[position] == kDigits[(byte >> 4) & 0x0F] &&
         text_[position + 1] == kDigits[byte & 0x0F];
}

bool ReplyParser::isComplete(Reply reply) const {
  const ReplyShape& s = shapeOf(reply);
  if (text_.size() < s.chars || !byteAt(8, s.command) || !byteAt(12, s.group)) return false;
  if (s.index && !byteAt(10, *s.index)) return false;
  if (s.itemAndLength &&
      !(byteAt(14, 0) && byteAt(16, s.payloadBytes >> 8) && byteAt(18, s.payloadBytes & 0xFF)))
    return false;
  return true;
}

void ReplyParser::remove(std::size_t characters) {
  if (text_.size() > characters) {
    text_.erase(0, characters);
  } else {
    text_.clear();
  }
}

std::string ReplyParser::statusTextFor(const StatusRecord& status) {
  const std::string tail = " |   Attenuation dB:  " + std::to_string(status.attenuationDb) + " dB";
  switch (status.bound()) {
    case StatusRecord::Bound::AtLeast:
      return "Internal Temperature: >=70 'C" + tail;
    case StatusRecord::Bound::AtMost:
      return "Internal Temperature: <=10 'C" + tail;
    case StatusRecord::Bound::Exact:
      break;
  }
  return "Internal Temperature: " + std::to_string(status.degreesCelsius()) + "'C" + tail;
}

std::string ReplyParser::lastLoadedPresetText(int n) {
  return std::string(n <= 6 ? "Last loaded preset:Pre" : "Last loaded preset:Usr") +
         std::to_string(n - 1) + "         ";
}

void ReplyParser::parseReplies() {
  // Anything received ends the watchdog's current wait (and the connect's first-contact wait).
  if (linkHooks.heard) linkHooks.heard();
  offer(Reply::AnyBytes);
  if (text_.size() >= kGarbageChars) text_.clear();
  // One read can hold several replies: a status reply and the acknowledgement of a name save
  // sent 50 ms after the poll arrive together. Every complete reply is handled now; one left
  // for the next notification waits for bytes that may never come (the poll pauses during the
  // save), and the next request clears it away.
  for (std::size_t before = text_.size(); parsePass() && text_.size() < before;)
    before = text_.size();
}

bool ReplyParser::parsePass() {
  dropToPreamble();
  if (isComplete(Reply::SystemRecord)) systemRecordReply();
  if (isComplete(Reply::Status)) {
    statusReply();
    return !text_.empty();
  }
  for (Reply ack : {Reply::IdAck, Reply::SaveAck}) {
    if (!isComplete(ack)) continue;
    offer(ack);
    remove(shapeOf(ack).chars);
  }
  if (isComplete(Reply::StoredBlock)) {
    // Taken by save-all while it collects; a stray or a duplicate is dropped.
    offer(Reply::StoredBlock);
    remove(shapeOf(Reply::StoredBlock).chars);
  }
  if (isComplete(Reply::ActiveBlock) && !activeBlockReply()) return !text_.empty();
  if (isComplete(Reply::NameTable)) nameTableReply();
  return !text_.empty();
}

void ReplyParser::dropToPreamble() {
  static const std::string kPreamble =
      hexByte(kPreambleByte) + hexByte(kPreambleByte) + hexByte(kPreambleByte);
  if (textAt(0, kPreamble)) return;
  // The read may end one or two bytes into a reply's preamble: an acknowledgement right behind a
  // status reply, or a reply whose first byte a device server on the network passed on alone.
  // That start waits for its rest, which the next read brings.
  if (text_.size() < kPreamble.size() && kPreamble.compare(0, text_.size(), text_) == 0) return;
  // The rest of a reply whose start was cleared away (a request clears ReceiveText while an
  // earlier reply is still arriving) may have the next reply behind it, an acknowledgement say:
  // only what comes before the next preamble is lost.
  for (std::size_t at = 2; at + kPreamble.size() <= text_.size(); at += 2) {
    if (text_.compare(at, kPreamble.size(), kPreamble) == 0) {
      text_.erase(0, at);
      return;
    }
  }
  text_.clear();
}

void ReplyParser::systemRecordReply() {
  ReceivedReply r(text_);
  SystemRecord& s = image_.system;
  s.lastPresetNumber = static_cast<std::uint8_t>(r.payloadByte(0));
  s.storedBytes = {static_cast<std::uint8_t>(r.payloadByte(1)),
                   static_cast<std::uint8_t>(r.payloadByte(2))};
  s.temperatureLimit = static_cast<std::uint8_t>(r.payloadByte(5));
  if (hooks.temperatureLimit) hooks.temperatureLimit(s.temperatureLimit);
  if (hooks.lastLoadedPreset) hooks.lastLoadedPreset(lastLoadedPresetText(s.lastPresetNumber));
  remove(shapeOf(Reply::SystemRecord).chars);
}

void ReplyParser::statusReply() {
  offer(Reply::Status);
  if (hooks.status) hooks.status(ReceivedReply(text_).status());
  remove(shapeOf(Reply::Status).chars);
}

bool ReplyParser::activeBlockReply() {
  if (offer(Reply::ActiveBlock)) {
    // Taken for a file or the group: the image keeps what it held.
    remove(shapeOf(Reply::ActiveBlock).chars);
    return false;
  }
  // Only the connected device's block is its preset. On a bus with two devices a late block of
  // the other one (a slot load or a copy for the group that timed out) would otherwise be shown
  // and edited as the connected device's.
  if (linkHooks.connectedBusAddress &&
      ReceivedReply(text_).busAddress() != linkHooks.connectedBusAddress()) {
    remove(shapeOf(Reply::ActiveBlock).chars);
    return true;
  }
  // A block from the device is hexadecimal by construction, so the decode cannot fail here.
  (void)DecodePresetBlock(text_, image_);
  if (hooks.presetDecoded) hooks.presetDecoded();
  // The image now holds what the device holds: nothing the refresh queued may be sent back.
  if (linkHooks.imageReplaced) linkHooks.imageReplaced();
  text_.clear();
  // A slot load or the connect waits for it. A block no one waits for (one that came after its
  // slot load timed out, say) is the device's active preset and nothing more: it must not start
  // the connect's name read.
  offer(Reply::ActivePreset);
  return false;
}

void ReplyParser::nameTableReply() {
  ReceivedReply r(text_);
  for (int k = 0; k < NameTable::kCount; ++k)
    for (int i = 0; i < NameTable::kLength; ++i)
      image_.names.names[static_cast<size_t>(k)][static_cast<size_t>(i)] =
          static_cast<std::uint8_t>(r.payloadByte(k * NameTable::kLength + i));
  if (hooks.namesArrived) hooks.namesArrived();
  offer(Reply::NameTable);
  text_.clear();
}

}  // namespace lyra
