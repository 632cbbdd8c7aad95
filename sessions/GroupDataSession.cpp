#include "sessions/GroupDataSession.h"

#include "preset/PresetBlockText.h"
#include "protocol/CommandFrame.h"
#include "sessions/PresetFileSession.h"
#include "storage/PresetFiles.h"

namespace lyra {

namespace {
constexpr int kPercentPerTick = 5;
constexpr int kGroupProgressTicks = 20;
}  // namespace

GroupDataSession::GroupDataSession(PresetExchange& exchange) : x_(exchange) {
  TimerTable& t = x_.timers;
  t.Timer342.onTick = [this] { Timer342Timer(); };
  t.Timer333.onTick = [this] { Timer333Timer(); };
  t.Timer332.onTick = [this] { Timer332Timer(); };
  t.trunon1.onTick = [this] { trunon1Timer(); };
  x_.parser.route(Reply::ActiveBlock, Owner::GroupInitialData, [this](ReceivedReply& r) {
    if (x_.flags.CopyActiveForGroup != 1) return false;
    // Only the source's answer goes to the group, never a block of the connected device.
    if (!r.isActivePresetOf(sourceAddress_)) return false;
    // A block damaged on the line is dropped, never sent to a whole group; the copy's time-out
    // reports the silent source.
    if (!HasIntactFrame(std::string_view(r.text()).substr(0, kPresetBlockTextLength))) return true;
    // The source device's block goes to the group as it came.
    x_.flags.CopyActiveForGroup = 0;
    x_.transfer.UploadText = r.text();
    r.clearAll();
    x_.timers.trunon1.start();
    return true;
  });
}

void GroupDataSession::showProgressStart() {
  x_.showInitialDataBox(false);
  x_.showWaitBox(0);
  progressCount_ = 0;
}

void GroupDataSession::endProgress() {
  x_.showInitialDataBox(false);
  x_.hideWaitBox();
  x_.setEditingEnabled(true);
}

void GroupDataSession::fromFile() {
  x_.supervisor.pause();
  x_.transfer.UploadText.clear();
  groupList_.clear();
  constexpr Operation op = Operation::GroupData;
  const auto path = x_.events.choosePath(FileChoice::OpenPreset);
  if (path) {
    auto lines = ReadChosenFile(x_, op, *path);
    if (!lines) return;
    groupList_ = std::move(*lines);
    x_.transfer.UploadText = JoinLines(groupList_);
  }
  // The box stays for another choice.
  if (x_.transfer.UploadText.empty())
    return x_.ended(op, path ? OutcomeKind::EmptyFile : OutcomeKind::Cancelled, path.value_or(""));
  if (!IsValidSinglePresetText(x_.transfer.UploadText))
    return x_.ended(op, OutcomeKind::FileDamaged, *path);
  showProgressStart();
  x_.timers.Timer342.start();
  x_.scheduler.waitPumping(500);
  uploadToGroup(100);
}

void GroupDataSession::uploadToGroup(int secondGapMs) {
  // Two polls first: a device that slept through the first hears the second before the block.
  x_.sendRequest(statusPoll(x_.address.BusAddress));
  x_.scheduler.waitPumping(500);
  x_.sendRequest(statusPoll(x_.address.BusAddress));
  x_.scheduler.waitPumping(500);

  for (int pass = 0; pass < 2; ++pass) {
    x_.writeUploadHeader(UploadTarget::ActivePreset());
    x_.scheduler.waitPumping(pass == 0 ? 100 : secondGapMs);
    x_.transfer.UploadCounter = PresetExchange::kActivePresetUpload;
    x_.upload();
    if (pass == 0) x_.scheduler.waitPumping(1000);
  }
  x_.decodeUploadText();
  x_.scheduler.waitPumping(1000);
  x_.supervisor.resumeSendsOnly();
  x_.ended(Operation::GroupData, OutcomeKind::Sent);
}

void GroupDataSession::Timer342Timer() {
  ++progressCount_;
  x_.setProgress(kPercentPerTick * progressCount_);
  if (progressCount_ < kGroupProgressTicks) return;
  x_.timers.Timer342.stop();
  endProgress();
}

void GroupDataSession::fromDevice(int id) {
  showProgressStart();
  x_.timers.Timer332.start();
  x_.timers.Timer333.start();
  x_.flags.CopyActiveForGroup = 1;
  sourceAddress_ = BusAddressing::busAddressOf(id);
  x_.link.ReceiveText.clear();
  x_.sendRequest(readActivePreset(sourceAddress_));
}

void GroupDataSession::Timer333Timer() {
  ++progressCount_;
  x_.setProgress(kPercentPerTick * progressCount_);
  if (progressCount_ < kGroupProgressTicks) return;
  x_.timers.Timer333.stop();
  endProgress();
}

void GroupDataSession::Timer332Timer() {
  x_.timers.Timer332.stop();
  if (x_.flags.CopyActiveForGroup != 1) return;  // the source answered
  // A block that still comes must not start an upload to the whole bus after the user was told
  // to try again.
  x_.flags.CopyActiveForGroup = 0;
  x_.hideWaitBox();
  x_.showInitialDataBox(true);
  x_.timers.Timer333.stop();
  x_.ended(Operation::GroupData, OutcomeKind::NoAnswer);
}

void GroupDataSession::trunon1Timer() {
  x_.timers.trunon1.stop();
  x_.timers.Timer332.stop();
  x_.scheduler.waitPumping(500);
  uploadToGroup(1000);
}

}  // namespace lyra
