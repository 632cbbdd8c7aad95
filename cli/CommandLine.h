#pragma once
// The command line of lyraphone-cli: every command, its options and operands, checked in full
// before anything is done, so a script's mistake never reaches a device.

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/SetParameters.h"
#include "measure/EqSettingsText.h"

namespace lyra::cli {

enum class Command {
  Ports,
  Search,
  Status,
  Read,
  Write,
  Backup,
  Restore,
  LoadSlot,
  NameSlot,
  SetId,
  Set,
  Show,
  Diff,
  Eq,        // the Main EQ of a preset file as equaliser settings text
  Response,  // the Main path's response of a preset file as FRD or CSV
};

struct Invocation {
  enum class Action { Run, Help, Version };
  Action action = Action::Run;
  // Run: the command; Help: the command asked about, or none for the general help.
  std::optional<Command> command;

  bool json = false;
  std::optional<std::string> port;  // --port; `search` without it searches every port
  std::vector<int> ids;             // --id, or --ids of `search` (1..255 when not given)
  bool watch = false;               // status --watch [SECONDS]
  double watchSeconds = 1.0;
  std::optional<std::string> output;  // -o FILE or folder
  std::vector<std::string> files;     // write, restore, show: one file; diff: two
  int slot = 0;                       // load-slot, name-slot: 1..8 for Pre0..Pre5, Usr6, Usr7
  std::string slotName;               // as the window names it: "Usr6"
  std::string presetName;             // name-slot NAME, trimmed as the window trims it
  int newId = 0;                      // set-id NEW
  bool force = false;                 // set-id --force: even when a device answers at NEW
  bool fast = false;                  // backup --fast: each block as soon as the last is in
  std::vector<Setting> settings;      // set PARAM=VALUE...
  std::optional<int> block;               // --block N: block 1..20 of an all-presets file
  bool csv = false;                       // response --csv
  bool withDelay = false;                 // response --with-delay
  std::optional<std::string> eqFile;      // set --eq-file EQ.txt
  std::optional<EqSettings> eqSettings;   // its settings, read before anything is sent
  std::optional<std::string> presetFile;  // set --file IN: edit a preset file, not a device
  std::optional<std::string> trace;       // --trace FILE: the traffic trace
};

struct UsageError {
  std::string message;
  std::optional<Command> command;  // the command whose help would have helped
};

// args without the program's name.
std::variant<Invocation, UsageError> ParseCommandLine(const std::vector<std::string>& args);

std::string_view CommandName(Command command);
// Whether the command talks to devices (and so needs the device sessions).
bool IsOnline(Command command);

std::string GeneralHelp();
std::string CommandHelp(Command command);
std::string VersionText();

// The longest name a user slot takes.
inline constexpr std::size_t kPresetNameMaxLength = 19;

}  // namespace lyra::cli
