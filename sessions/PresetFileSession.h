#pragma once
// Preset files on the PC, without widgets: the active preset to and from a *.sps file, all twenty
// stored blocks to and from a *.fps file. Questions and file names come from the front end's
// SessionEvents, and each operation ends with one outcome there. Files hold the device's own
// block texts, so a file written from one device loads into another; the header inside a text is
// never used, the current BusAddress is.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "sessions/PresetExchange.h"
#include "timing/TimerTable.h"

namespace lyra {

// The lines of a chosen file, or nothing after the outcome of operation that says why it cannot
// be read. A file far too large for a preset file counts as damaged. Shared with the group
// initial data.
std::optional<std::vector<std::string>> ReadChosenFile(const PresetExchange& exchange,
                                                       Operation operation,
                                                       const std::string& path);

class PresetFileSession {
 public:
  // "Save this preset to PC" waits this long for the active block: twice what a connect allows
  // for the same read.
  static constexpr int kSaveActiveTimeoutMs = 3000;
  // How save-all asks for the twenty stored blocks. Window: one request every 700 ms (Timer8),
  // whether or not the last reply came, as the window always has; a device may need that pace.
  // LineSpeed: the next request once the block asked for last has arrived whole, after
  // kBusTurnaroundMs, so one request at most is ever outstanding. Both end at Timer9's 16 s.
  enum class SavePacing { Window, LineSpeed };
  // The pause before the next request at line speed. The device's RS-485 driver lets go of the
  // line after its trailer's stop bit and the adapter turns from receiving to sending; a few ms
  // (about five byte times at 9600 baud) cover both, and the block was read up to 50 ms after
  // its last byte anyway (SerialLink::kBurstGroupingMs).
  static constexpr int kBusTurnaroundMs = 5;

  explicit PresetFileSession(PresetExchange& exchange);

  void saveActive();  // "Save this preset to PC"
  void saveAll(SavePacing pacing = SavePacing::Window);  // "Save all presets to PC"
  void loadActive();  // "Load a preset from PC"
  void loadAll();     // "Load all presets from PC"


 private:
  void FSaveDialog3Timer();
  void FSaveDialog4Timer();
  void saveActiveTimeoutTimer();
  void Timer8Timer();
  void Timer9Timer();
  void turnaroundTimer();
  void Timer10Timer();
  void Timer12Timer();
  // The replies: the active block for one file, the stored blocks for all.
  bool activeBlockReply(ReceivedReply& reply);
  bool storedBlockReply(ReceivedReply& reply);
  void writeFile(FileChoice choice, Operation operation);

  PresetExchange& x_;
  NamedTimer saveActiveTimeout_;
  NamedTimer busTurnaround_;   // save all at line speed: the pause before the next request
  SavePacing pacing_ = SavePacing::Window;
  int requestCounter_ = 0;     // save all: the stored block asked for last, 1..20
  // Save all: each block by its index, taken once; a stray or a repeated reply is ignored.
  std::array<std::string, 20> collected_{};
  int collectedCount_ = 0;
  int loadProgressCount_ = 0;  // Timer12 ticks
};

}  // namespace lyra
