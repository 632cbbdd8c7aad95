#include "sessions/PresetFileSession.h"

#include "preset/PresetBlockText.h"
#include "protocol/CommandFrame.h"
#include "storage/PresetFiles.h"

namespace lyra {

namespace {
constexpr int kStoredBlocks = 20;
constexpr std::size_t kBlockChars = 664;  // one block as hex text
constexpr int kPercentPerBlock = 5;
constexpr int kLoadProgressTicks = 10;
}  // namespace

PresetFileSession::PresetFileSession(PresetExchange& exchange)
    : x_(exchange),
      saveActiveTimeout_(exchange.scheduler, "saveActiveTimeout", kSaveActiveTimeoutMs),
      busTurnaround_(exchange.scheduler, "busTurnaround", kBusTurnaroundMs) {
  TimerTable& t = x_.timers;
  t.FSaveDialog3.onTick = [this] { FSaveDialog3Timer(); };
  t.FSaveDialog4.onTick = [this] { FSaveDialog4Timer(); };
  t.Timer8.onTick = [this] { Timer8Timer(); };
  t.Timer9.onTick = [this] { Timer9Timer(); };
  t.Timer10.onTick = [this] { Timer10Timer(); };
  t.Timer12.onTick = [this] { Timer12Timer(); };
  saveActiveTimeout_.onTick = [this] { saveActiveTimeoutTimer(); };
  busTurnaround_.onTick = [this] { turnaroundTimer(); };
  x_.parser.route(Reply::ActiveBlock, Owner::PcFiles,
                  [this](ReceivedReply& r) { return activeBlockReply(r); });
  x_.parser.route(Reply::StoredBlock, Owner::PcFiles,
                  [this](ReceivedReply& r) { return storedBlockReply(r); });
}

bool PresetFileSession::activeBlockReply(ReceivedReply& r) {
  if (x_.flags.SaveActiveToPc != 1) return false;
  // A late or repeated block of a slot load is the device's preset too, but its header would
  // make a file that loads nowhere: it is decoded as usual, and the save waits for its own.
  if (!r.isActivePresetOf(x_.address.BusAddress)) return false;
  // A block damaged on the line is dropped, never saved: the save waits on for a whole one and
  // its time-out says so if none comes.
  if (!HasIntactFrame(std::string_view(r.text()).substr(0, kPresetBlockTextLength))) return true;
  x_.flags.SaveActiveToPc = 0;
  x_.transfer.presetList.assign(1, r.text().substr(0, kBlockChars));
  x_.transfer.linesToSave = x_.transfer.presetList;
  r.clearAll();
  x_.timers.FSaveDialog3.start();
  x_.supervisor.resume();
  return true;
}

bool PresetFileSession::storedBlockReply(ReceivedReply& r) {
  if (x_.flags.CollectAllBlocks != 1) return false;
  // A flaky adapter echoing, or a second device on the same address, answers twice; replies
  // left over from an earlier save may still come. Only the block index says which block a
  // reply holds, and a file must hold each block once, in its own line.
  const int n = r.index();
  if (n < 1 || n > kStoredBlocks) return true;
  std::string& line = collected_[static_cast<std::size_t>(n - 1)];
  if (!line.empty()) return true;
  // A block damaged on the line stays missing (the device sends each block once, so the save
  // times out rather than write a file that would load the damage into a slot).
  if (!HasIntactFrame(std::string_view(r.text()).substr(0, kPresetBlockTextLength))) return true;
  line = r.text().substr(0, kBlockChars);
  ++collectedCount_;
  // At line speed the block asked for last, now whole, lets the next request go.
  if (pacing_ == SavePacing::LineSpeed && n == requestCounter_ && requestCounter_ < kStoredBlocks)
    busTurnaround_.start();
  if (collectedCount_ < kStoredBlocks) return true;
  x_.timers.Timer9.stop();
  x_.hideWaitBox();
  x_.setEditingEnabled(true);
  x_.flags.CollectAllBlocks = 0;
  x_.transfer.presetList.assign(collected_.begin(), collected_.end());
  x_.transfer.linesToSave = x_.transfer.presetList;
  x_.timers.FSaveDialog4.start();
  x_.supervisor.resume();
  return true;
}

std::optional<std::vector<std::string>> ReadChosenFile(const PresetExchange& x,
                                                       Operation operation,
                                                       const std::string& path) {
  FileLines file = ReadTextLines(path);
  switch (file.status) {
    case FileLines::Status::Read:
      return std::move(file.lines);
    case FileLines::Status::TooLarge:
      x.ended(operation, OutcomeKind::FileDamaged, path);
      return std::nullopt;
    case FileLines::Status::NotAFile:
      x.events.ended({operation, OutcomeKind::NotAPresetFile, path, file.error});
      return std::nullopt;
    case FileLines::Status::Unreadable:
      break;
  }
  x.events.ended({operation, OutcomeKind::ReadFailed, path, file.error});
  return std::nullopt;
}

void PresetFileSession::writeFile(FileChoice choice, Operation operation) {
  const auto path = x_.events.choosePath(choice);
  if (!path) return x_.ended(operation, OutcomeKind::Cancelled);
  if (const auto failure = WriteTextLines(*path, x_.transfer.linesToSave)) {
    x_.events.ended({operation, OutcomeKind::WriteFailed, *path, *failure});
    return;
  }
  x_.ended(operation, OutcomeKind::Saved, *path);
}

// Save this preset to PC.

void PresetFileSession::saveActive() {
  if (!x_.portOpen()) return x_.ended(Operation::SavePreset, OutcomeKind::NoLink);
  if (!x_.confirmed(Question::SavePresetToPc))
    return x_.ended(Operation::SavePreset, OutcomeKind::Cancelled);
  x_.setEditingEnabled(false);
  x_.supervisor.pause();
  x_.flags.SaveActiveToPc = 1;
  x_.scheduler.waitPumping(50);
  x_.transfer.presetList.clear();
  x_.sendRequest(readActivePreset(x_.address.BusAddress));
  saveActiveTimeout_.stop();
  saveActiveTimeout_.start();
  x_.scheduler.waitPumping(50);
  x_.hideWaitBox();
  x_.setEditingEnabled(true);
}

void PresetFileSession::saveActiveTimeoutTimer() {
  saveActiveTimeout_.stop();
  if (x_.flags.SaveActiveToPc != 1) return;  // the block came in time
  // Without this the poll and the SendPump would stay stopped and every later edit would stay in
  // its slot, never reaching the device. A block that still comes is decoded as the device's
  // active preset, not saved behind the user's back.
  x_.flags.SaveActiveToPc = 0;
  x_.supervisor.resume();
  x_.ended(Operation::SavePreset, OutcomeKind::Overtime);
}

void PresetFileSession::FSaveDialog3Timer() {
  x_.timers.FSaveDialog3.stop();
  saveActiveTimeout_.stop();
  writeFile(FileChoice::SavePreset, Operation::SavePreset);
}

// Save all presets to PC.

void PresetFileSession::saveAll(SavePacing pacing) {
  if (!x_.portOpen()) return x_.ended(Operation::SaveAllPresets, OutcomeKind::NoLink);
  if (!x_.confirmed(Question::SaveAllPresetsToPc))
    return x_.ended(Operation::SaveAllPresets, OutcomeKind::Cancelled);
  x_.supervisor.pause();
  x_.scheduler.waitPumping(50);
  x_.link.ReceiveText.clear();
  requestCounter_ = 0;
  collected_ = {};
  collectedCount_ = 0;
  x_.flags.CollectAllBlocks = 1;
  x_.showWaitBox(0);
  x_.setEditingEnabled(false);
  x_.transfer.presetList.clear();
  pacing_ = pacing;
  if (pacing_ == SavePacing::LineSpeed) {
    busTurnaround_.start();
  } else {
    x_.timers.Timer8.start();
  }
  x_.timers.Timer9.start();
}

void PresetFileSession::Timer8Timer() {
  ++requestCounter_;
  // The reads go out 700 ms apart whether or not the replies came: ReceiveText keeps what is
  // still arriving of the previous block.
  x_.sendWithoutClearing(readStoredBlock(x_.address.BusAddress, requestCounter_));
  x_.setProgress(kPercentPerBlock * requestCounter_);
  if (requestCounter_ >= kStoredBlocks) x_.timers.Timer8.stop();
}

void PresetFileSession::turnaroundTimer() {
  busTurnaround_.stop();
  // The collection ended meanwhile (its time-out, a disconnect): nothing more is asked.
  if (x_.flags.CollectAllBlocks != 1 || !x_.timers.Timer9.isActive()) return;
  ++requestCounter_;
  x_.sendWithoutClearing(readStoredBlock(x_.address.BusAddress, requestCounter_));
  x_.setProgress(kPercentPerBlock * requestCounter_);
}

void PresetFileSession::Timer9Timer() {
  // No file is written from a collection that missed its time: blocks that still come are
  // dropped, and no save dialog follows the message.
  x_.flags.CollectAllBlocks = 0;
  x_.timers.Timer9.stop();
  x_.timers.Timer8.stop();
  busTurnaround_.stop();
  x_.hideWaitBox();
  x_.setEditingEnabled(true);
  x_.supervisor.resume();
  x_.ended(Operation::SaveAllPresets, OutcomeKind::Overtime);
}

void PresetFileSession::FSaveDialog4Timer() {
  x_.timers.FSaveDialog4.stop();
  writeFile(FileChoice::SaveAllPresets, Operation::SaveAllPresets);
}

// Load a preset from PC.

void PresetFileSession::loadActive() {
  constexpr Operation op = Operation::LoadPreset;
  if (!x_.portOpen()) return x_.ended(op, OutcomeKind::NoLink);
  if (!x_.confirmed(Question::ReplaceActivePreset)) return x_.ended(op, OutcomeKind::Cancelled);
  x_.transfer.UploadText.clear();
  x_.transfer.presetList.clear();
  const auto path = x_.events.choosePath(FileChoice::OpenPreset);
  if (!path) return x_.ended(op, OutcomeKind::Cancelled);
  auto lines = ReadChosenFile(x_, op, *path);
  if (!lines) return;
  x_.transfer.presetList = std::move(*lines);
  x_.transfer.UploadText = JoinLines(x_.transfer.presetList);
  if (!IsValidSinglePresetText(x_.transfer.UploadText)) {
    x_.ended(op, OutcomeKind::FileDamaged, *path);
    x_.supervisor.resume();
    return;
  }
  x_.showWaitBox(0);
  x_.setEditingEnabled(false);
  loadProgressCount_ = 0;
  x_.timers.Timer12.start();
  x_.supervisor.pause();
  x_.writeUploadHeader(UploadTarget::ActivePreset());
  x_.scheduler.waitPumping(100);
  x_.transfer.UploadCounter = PresetExchange::kActivePresetUpload;
  x_.upload();
  x_.decodeUploadText();
  // The device takes a while to apply a whole preset; the poll waits until it has.
  x_.scheduler.waitPumping(8000);
  x_.supervisor.resume();
  x_.hideWaitBox();
  x_.setEditingEnabled(true);
  x_.ended(op, OutcomeKind::Loaded, *path);
}

void PresetFileSession::Timer12Timer() {
  ++loadProgressCount_;
  x_.setProgress(kLoadProgressTicks * loadProgressCount_);
  if (loadProgressCount_ >= kLoadProgressTicks) x_.timers.Timer12.stop();
}

// Load all presets from PC.

void PresetFileSession::loadAll() {
  constexpr Operation op = Operation::LoadAllPresets;
  if (!x_.portOpen()) return x_.ended(op, OutcomeKind::NoLink);
  if (!x_.confirmed(Question::OverwriteAllPresets)) return x_.ended(op, OutcomeKind::Cancelled);
  x_.transfer.presetList.clear();
  const auto path = x_.events.choosePath(FileChoice::OpenAllPresets);
  if (path) {
    auto lines = ReadChosenFile(x_, op, *path);
    if (!lines) {
      x_.supervisor.resume();
      return;
    }
    x_.transfer.presetList = std::move(*lines);
  }
  if (x_.transfer.presetList.empty()) {
    x_.supervisor.resume();
    // An empty file is passed over as silently as a cancelled choice.
    x_.ended(op, path ? OutcomeKind::EmptyFile : OutcomeKind::Cancelled, path.value_or(""));
    return;
  }
  if (!IsValidAllPresetsFile(x_.transfer.presetList)) {
    x_.ended(op, OutcomeKind::FileDamaged, *path);
    x_.supervisor.resume();
    return;
  }
  x_.showWaitBox(0);
  x_.setEditingEnabled(false);
  // The SendPump pauses too: a slot written between a header and its data would break the
  // upload, and its poll restart would interleave status polls with the blocks.
  x_.supervisor.pause();
  x_.transfer.UploadCounter = 0;
  x_.timers.Timer10.start();
}

void PresetFileSession::Timer10Timer() {
  x_.timers.Timer10.stop();
  PresetTransfer& t = x_.transfer;
  if (t.UploadCounter < 0 || static_cast<std::size_t>(t.UploadCounter) >= t.presetList.size())
    return;
  t.UploadText = t.presetList[static_cast<std::size_t>(t.UploadCounter)];
  const int n = ++t.UploadCounter;
  x_.writeUploadHeader(UploadTarget::StoredBlock(static_cast<std::uint8_t>(n)));
  x_.scheduler.waitPumping(50);
  if (x_.upload()) x_.timers.Timer10.start();  // the next block
  x_.setProgress(kPercentPerBlock * n);
  if (n < kStoredBlocks) return;

  t.UploadCounter = 0;
  x_.scheduler.waitPumping(1000);
  // The names came with the blocks: the lists show them once the NameTable reply is in.
  x_.sendRequest(readNameTable(x_.address.BusAddress));
  x_.scheduler.waitPumping(50);
  x_.supervisor.resume();
  x_.hideWaitBox();
  x_.setEditingEnabled(true);
  x_.ended(Operation::LoadAllPresets, OutcomeKind::Loaded);
}

}  // namespace lyra
