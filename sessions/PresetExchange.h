#pragma once
// What the preset sessions share: the device presets, the PC files and the group initial data
// all pause the poll and the SendPump, report their progress, send requests and uploads straight
// to the port, and decode an uploaded text into the image. Progress, questions, file choices and
// outcomes go to the front end's SessionEvents; what the window does besides (the editing areas,
// the initial-data box, the decoded preset on every control) goes to a TransferView.

#include <functional>
#include <string>

#include "protocol/LinkSupervisor.h"
#include "preset/PresetImage.h"
#include "preset/PresetUpload.h"
#include "reply/ReplyParser.h"
#include "protocol/BusAddressing.h"
#include "protocol/SendPump.h"
#include "serial/SerialLink.h"
#include "sessions/Outcome.h"
#include "timing/Scheduler.h"
#include "timing/TimerTable.h"

namespace lyra {

// Each is optional.
struct TransferView {
  std::function<void(bool enabled)> setEditingEnabled;
  // The group operations: the initial-data box (true) or the editing pages (false).
  std::function<void(bool shown)> showInitialDataBox;
  // Refreshes every control that shows a preset value from the image.
  std::function<void()> showDecodedPreset;
};

struct PresetExchange {
  Scheduler& scheduler;
  TimerTable& timers;
  SerialLink& link;
  SendPump& pump;
  LinkSupervisor& supervisor;
  ReplyParser& parser;
  const BusAddressing& address;
  WaitingFlags& flags;
  PresetTransfer& transfer;
  PresetImage& image;
  SessionEvents& events;
  TransferView& view;

  bool portOpen() const { return link.PortOpen(); }
  bool confirmed(Question question) const { return events.confirm(question); }
  void ended(Operation operation, OutcomeKind kind, const std::string& path = {}) const {
    events.ended({operation, kind, path, {}});
  }

  // The wait box with its bar at percent, and the rest of the view.
  void showWaitBox(int percent) const;
  void setProgress(int percent) const;
  void hideWaitBox() const;
  void setEditingEnabled(bool enabled) const;
  void showInitialDataBox(bool shown) const;

  // Clears ReceiveText (when the request expects a reply) and writes the frame at once, outside
  // the send slots.
  void sendRequest(const Frame& frame);
  void sendWithoutClearing(const Frame& frame);

  // The 10 header bytes of an upload to the current BusAddress.
  void writeUploadHeader(UploadTarget target);
  // UploadCounter while the active preset goes up (1..20 name the stored blocks).
  static constexpr int kActivePresetUpload = 25;
  // The 322 bytes that follow the header: the data bytes of UploadText, the checksum and 0xAA, for
  // the target that UploadCounter names. Sends nothing without PortOpen or with a text that holds
  // no data. True when one of the stored blocks 1..19 went up: a next one follows.
  bool upload();
  // UploadText into the image and every control; nothing it refreshes may be sent back, and
  // ReceiveText ends empty.
  void decodeUploadText();
};

}  // namespace lyra
