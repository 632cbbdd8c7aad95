#pragma once
// What the preset operations share: the device presets, the PC files and the group initial data
// all pause the poll and the SendPump, show the wait box, send requests and uploads straight to
// the port, and decode an uploaded text into the image and the controls.

#include <functional>
#include <string>

#include "app/Connection.h"
#include "protocol/Dialogs.h"
#include "app/WindowAreas.h"
#include "preset/PresetImage.h"
#include "preset/PresetUpload.h"
#include "preset/ReplyParser.h"
#include "protocol/BusAddressing.h"
#include "protocol/SendPump.h"
#include "serial/SerialLink.h"
#include "timing/Scheduler.h"
#include "timing/TimerTable.h"

namespace lyra {

// The full-width comma (U+FF0C) is the program's own: the text reads as the device's maker wrote
// it.
inline constexpr const char* kOvertimeText = "overtime\xEF\xBC\x8Ctry again.";
inline constexpr const char* kFileDamagedText = "File damaged.";

struct PresetExchange {
  WindowAreas& areas;
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
  Connection& connection;
  Dialogs& dialogs;
  // Refreshes every control that shows a preset value from the image.
  std::function<void()> showDecodedPreset;

  bool portOpen() const { return link.PortOpen(); }
  bool confirmed(const char* question) const;

  // The wait box at (208, 232) with its bar at percent.
  void showWaitBox(int percent);
  void setProgress(int percent);
  void hideWaitBox();

  // Clears ReceiveText (when the request expects a reply) and writes the frame at once, outside
  // the send slots.
  void sendRequest(const Frame& frame);
  void sendWithoutClearing(const Frame& frame);

  // The 10 header bytes of an upload to the current BusAddress.
  void writeUploadHeader(UploadTarget target);
  // The 322 bytes that follow the header: the data bytes of UploadText, the checksum and 0xAA, for
  // the target that UploadCounter names. While stored blocks 1..19 go up, Timer10 is started for
  // the next one. Sends nothing without PortOpen or with a text that holds no data.
  void upload();
  // UploadText into the image and every control; nothing it refreshes may be sent back, and
  // ReceiveText ends empty.
  void decodeUploadText();
};

}  // namespace lyra
