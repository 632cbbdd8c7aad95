#include "cli/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "cli/IdList.h"
#include "cli/PresetFile.h"

#ifndef LYRA_VERSION
#define LYRA_VERSION "unknown"
#endif

namespace lyra::cli {

namespace {

// Which options a command takes.
enum Option : unsigned {
  kJson = 1u << 0,
  kPort = 1u << 1,      // --port PORT
  kIdList = 1u << 2,    // --id LIST
  kIdSingle = 1u << 3,  // --id N
  kIds = 1u << 4,       // --ids LIST (search)
  kWatch = 1u << 5,     // --watch [SECONDS]
  kOutput = 1u << 6,    // -o FILE
  kForce = 1u << 7,       // --force (set-id)
  kBlock = 1u << 8,       // --block N (a block of an all-presets file)
  kCsv = 1u << 9,         // --csv
  kWithDelay = 1u << 10,  // --with-delay
  kEqFile = 1u << 11,     // --eq-file FILE
  kFile = 1u << 12,       // --file FILE (set on a preset file)
  kTrace = 1u << 13,      // --trace FILE: every command that talks to devices
  kFast = 1u << 14,       // --fast (backup)
};

struct CommandInfo {
  Command command;
  std::string_view name;
  unsigned options;
  unsigned required;          // options that must be given
  std::string_view operands;  // for the synopsis
  std::string_view summary;
  std::string_view details;
};

constexpr CommandInfo kCommands[] = {
    {Command::Ports, "ports", kJson, 0, "",
     "list the serial ports, as the window's port list shows them",
     "Prints one port a line: its name and the path that is opened for it. With --json an\n"
     "array of objects with \"name\" and \"path\".\n"},
    {Command::Search, "search", kPort | kIds | kJson | kTrace, 0, "",
     "find the devices on the bus (default: every port, DeviceIds 1-255)",
     "Asks each DeviceId of LIST on PORT, or on every port, as the window's search does, and\n"
     "prints the devices that answer. With --json an array of objects with \"port\", \"path\"\n"
     "and \"id\".\n"},
    {Command::Status, "status", kPort | kIdList | kWatch | kJson | kTrace, kPort | kIdList, "",
     "the temperature and attenuation of each device",
     "Connects to each device of LIST in turn and prints its temperature in degrees C and its\n"
     "attenuation in dB. With --json an array of objects with \"port\", \"id\", \"temperature\",\n"
     "\"temperatureText\" and \"attenuation\".\n"
     "With --watch one connection stays open and the status poll alone asks each device in turn,\n"
     "every SECONDS (default 1) until Ctrl-C. Each line starts with the time of its round (UTC),\n"
     "and a device that does not answer has its line too, with the error. With --json each line\n"
     "is one JSON object (JSON Lines): \"time\", \"port\", \"id\" and either the readings or\n"
     "\"error\".\n"},
    {Command::Read, "read", kPort | kIdSingle | kOutput | kTrace, kPort | kIdSingle | kOutput, "",
     "the active preset of one device to a file (-o FILE.sps)",
     "Writes the device's active preset as the window's \"Save this preset to PC\" does: the\n"
     "whole file or, on any failure, nothing.\n"},
    {Command::Write, "write", kPort | kIdSingle | kTrace, kPort | kIdSingle, "FILE.sps",
     "a preset file into the active preset of one device",
     "Checks the whole file first; a damaged file is refused with its line number and nothing is\n"
     "sent.\n"},
    {Command::Backup, "backup", kPort | kIdList | kOutput | kFast | kTrace,
     kPort | kIdList | kOutput, "",
     "all twenty stored presets of each device (-o FILE.fps or -o FOLDER)",
     "Saves the twenty stored blocks as the window's \"Save all presets to PC\" does. With a\n"
     "folder, each device goes to <id>.fps in it; several devices need a folder.\n"
     "The window asks for a block every 700 ms (about 14 s a device), which a device may need;\n"
     "--fast asks for the next block as soon as the last one is in (about 8 s a device), with\n"
     "the same 16 s time-out and the same file.\n"},
    {Command::Restore, "restore", kPort | kIdList | kTrace, kPort | kIdList, "FILE.fps",
     "an all-presets file into each device",
     "Checks the whole file first; a damaged file is refused with its line number and nothing is\n"
     "sent. Loading all presets overwrites every preset stored in the unit.\n"},
    {Command::LoadSlot, "load-slot", kPort | kIdSingle | kTrace, kPort | kIdSingle, "SLOT",
     "load a preset slot (Pre0..Pre5, Usr6, Usr7) into the active preset", ""},
    {Command::NameSlot, "name-slot", kPort | kIdSingle | kTrace, kPort | kIdSingle, "Usr6|Usr7 NAME",
     "save the active preset into a user slot under a name",
     "NAME has at most 19 characters from space to '~'; blanks around it are dropped.\n"},
    {Command::SetId, "set-id", kPort | kIdSingle | kForce | kTrace, kPort | kIdSingle, "NEW",
     "give a device the DeviceId NEW (1..255)",
     "Asks NEW first with one status poll: when a device answers there, NEW is in use and\n"
     "nothing is changed (exit status 1), since two devices on one DeviceId cannot be reached.\n"
     "--force changes it all the same.\n"},
    {Command::Set, "set", kPort | kIdList | kFile | kBlock | kOutput | kEqFile | kTrace, kPort | kIdList,
     "[PARAM=VALUE...]", "change parameters of the active preset, as typed into the window",
     "Each value goes through the window's typed entry: clamped to its range and snapped to the\n"
     "device's step, and what was stored is printed. Values are in the window's units (dB, ms,\n"
     "Hz; the unit may follow the number). The parameters:\n"
     "  level=DB  mute=on|off  polarity=+|-  delay=MS            the system (Main) path\n"
     "  sat.level=DB  sat.mute=on|off  sat.polarity=+|-  sat.delay=MS   the satellite\n"
     "  hpf=HZ  lpf=HZ  hpf.type=NAME  lpf.type=NAME              e.g. hpf.type=24db-LR\n"
     "  eqN.freq=HZ  eqN.q=Q  eqN.gain=DB  eqN.type=PEQ|LS|HS  eqN.bypass=on|off   N = 1..6\n"
     "  bass-enhancer=on|off\n"
     "The device has no bypass of its own: eqN.bypass=on sets the band flat (0 dB) in the device,\n"
     "which then keeps no other gain for it; set eqN.gain to bring the band back. A bypass and a\n"
     "gain of one band in one set are refused. level= on a muted system also unmutes it.\n"
     "--eq-file EQ.txt stores equaliser settings from REW or Equalizer APO in the six bands first\n"
     "(filter N in band N; OFF and missing filters flat; Preamp as the level) and prints each\n"
     "band as given and as stored; a file that does not fit is refused whole, nothing is sent.\n"
     "With --file IN.sps (--block N for a .fps) the preset file is edited instead of a device, by\n"
     "the same rules, and written whole to -o OUT (default: IN itself).\n"},
    {Command::Show, "show", kJson, 0, "FILE.sps|FILE.fps",
     "print every parameter of a preset file (offline)",
     "Prints the Main path and the satellite in the window's texts, then the values the preset\n"
     "carries that no control edits (the High Way's equaliser, filters and limiter, the Mid and\n"
     "Low Ways, the gain a band's type does not use, BTL). An all-presets file is shown block by\n"
     "block. With --json an object with every parameter's device index, value and text.\n"},
    {Command::Diff, "diff", kJson, 0, "A B",
     "the parameters in which two preset files differ (offline)",
     "Exit status 0 when the files hold the same presets, 1 when they differ. Data bytes that\n"
     "no parameter shows but the device receives are compared too.\n"},
    {Command::Eq, "eq", kBlock | kOutput, 0, "FILE.sps|FILE.fps",
     "the Main EQ of a preset file as equaliser settings text (offline)",
     "Writes \"Filter N: ON|OFF PK|LSC|HSC Fc ... Hz Gain ... dB Q ...\", one line per band, "
     "which\n"
     "REW and Equalizer APO read; a flat (0 dB) band is OFF. set --eq-file reads it back to the\n"
     "same values.\n"},
    {Command::Response, "response", kBlock | kOutput | kCsv | kWithDelay, 0, "FILE.sps|FILE.fps",
     "the Main path's response of a preset file as FRD or CSV (offline)",
     "The equaliser, high-pass and low-pass together as the graph computes them, from 20 Hz to\n"
     "20 kHz at 1/48 octave: frequency (Hz), magnitude (dB) and phase (degrees). FRD by default,\n"
     "CSV with a header with --csv; --with-delay adds the system delay to the phase.\n"},
};

const CommandInfo* FindCommand(std::string_view name) {
  for (const CommandInfo& s : kCommands) {
    if (s.name == name) return &s;
  }
  return nullptr;
}

const CommandInfo& InfoOf(Command c) {
  for (const CommandInfo& s : kCommands) {
    if (s.command == c) return s;
  }
  return kCommands[0];
}

std::string OptionSynopsis(const CommandInfo& s) {
  std::string out;
  const auto add = [&](unsigned option, std::string_view text) {
    if (!(s.options & option)) return;
    out += ' ';
    if (s.required & option) {
      out += text;
    } else {
      out += "[" + std::string(text) + "]";
    }
  };
  add(kPort, "--port PORT");
  add(kIds, "--ids LIST");
  add(kIdList, "--id LIST");
  add(kIdSingle, "--id N");
  add(kWatch, "--watch [SECONDS]");
  add(kFile, "--file FILE.sps|FILE.fps");
  add(kBlock, "--block N");
  add(kEqFile, "--eq-file EQ.txt");
  add(kCsv, "--csv");
  add(kWithDelay, "--with-delay");
  add(kOutput, s.command == Command::Read     ? "-o FILE.sps"
               : s.command == Command::Backup ? "-o FILE.fps|DIR"
                                              : "-o OUT");
  add(kForce, "--force");
  add(kFast, "--fast");
  add(kTrace, "--trace FILE");
  if (!s.operands.empty()) out += " " + std::string(s.operands);
  add(kJson, "--json");
  return out;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

UsageError Error(std::string message, const CommandInfo* info) {
  return {std::move(message), info ? std::optional<Command>(info->command) : std::nullopt};
}

// "Pre0".."Pre5" are slots 1..6, "Usr6" and "Usr7" 7 and 8; the window's list shows them with a
// colon, which is accepted too.
std::optional<int> SlotNumber(std::string_view text, std::string& shown) {
  std::string v = Lower(text);
  if (!v.empty() && v.back() == ':') v.pop_back();
  if (v.size() != 4) return std::nullopt;
  const int digit = v[3] - '0';
  if (v.rfind("pre", 0) == 0 && digit >= 0 && digit <= 5) {
    shown = "Pre" + std::to_string(digit);
    return digit + 1;
  }
  if (v.rfind("usr", 0) == 0 && (digit == 6 || digit == 7)) {
    shown = "Usr" + std::to_string(digit);
    return digit + 1;
  }
  return std::nullopt;
}

bool IsBlankOrControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u <= 0x20 || u == 0x7F;
}

std::optional<double> Seconds(std::string_view text) {
  double value = 0.0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

struct Given {
  std::optional<std::string> port, id, ids, output, watch, block, eqFile, file, trace;
  bool csv = false, withDelay = false;
  bool watchFlag = false;
  std::optional<std::string> afterWatch;  // what followed --watch, not being a number
  bool json = false;
  bool force = false;
  bool fast = false;
  std::vector<std::string> operands;
};

// The options and operands, before their meaning is checked.
std::variant<Given, UsageError> Scan(const CommandInfo& info,
                                     const std::vector<std::string>& args) {
  Given g;
  bool operandsOnly = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    // A negative number is an operand (a wrong one, which its check then names).
    const bool negativeNumber =
        a.size() > 1 && a[0] == '-' && std::isdigit(static_cast<unsigned char>(a[1]));
    if (operandsOnly || a == "-" || a.empty() || a[0] != '-' || negativeNumber) {
      g.operands.push_back(a);
      continue;
    }
    if (a == "--") {
      operandsOnly = true;
      continue;
    }
    std::string name = a;
    std::optional<std::string> inlineValue;
    if (a.rfind("--", 0) == 0) {
      if (const std::size_t eq = a.find('='); eq != std::string::npos) {
        name = a.substr(0, eq);
        inlineValue = a.substr(eq + 1);
      }
    } else if (a.rfind("-o", 0) == 0 && a.size() > 2) {
      name = "-o";
      inlineValue = a.substr(2);
    }
    const auto valueOf = [&](std::string_view what) -> std::variant<std::string, UsageError> {
      if (inlineValue) return *inlineValue;
      if (i + 1 >= args.size() || (args[i + 1].rfind("--", 0) == 0 && args[i + 1].size() > 2))
        return Error(name + " needs " + std::string(what), &info);
      return args[++i];
    };
    const struct {
      std::string_view name;
      unsigned option;
      std::optional<std::string>* target;
      std::string_view what;
    } valued[] = {{"--port", kPort, &g.port, "a PORT"},
                  {"--id", kIdList | kIdSingle, &g.id, "a DeviceId"},
                  {"--ids", kIds, &g.ids, "a LIST of DeviceIds"},
                  {"-o", kOutput, &g.output, "a file or folder"},
                  {"--block", kBlock, &g.block, "a block number 1..20"},
                  {"--eq-file", kEqFile, &g.eqFile, "a file of equaliser settings"},
                  {"--file", kFile, &g.file, "a preset file"},
                  {"--trace", kTrace, &g.trace, "a file for the traffic trace"}};
    bool handled = false;
    for (const auto& v : valued) {
      if (name != v.name || !(info.options & v.option)) continue;
      if (*v.target) return Error(name + " is given twice", &info);
      auto value = valueOf(v.what);
      if (auto* e = std::get_if<UsageError>(&value)) return *e;
      *v.target = std::get<std::string>(value);
      handled = true;
      break;
    }
    if (handled) continue;
    if ((name == "--csv" && (info.options & kCsv)) ||
        (name == "--with-delay" && (info.options & kWithDelay))) {
      if (inlineValue) return Error(name + " takes no value", &info);
      (name == "--csv" ? g.csv : g.withDelay) = true;
      continue;
    }
    if (name == "--json" && (info.options & kJson)) {
      if (inlineValue) return Error("--json takes no value", &info);
      g.json = true;
      continue;
    }
    if (name == "--fast" && (info.options & kFast)) {
      if (inlineValue) return Error("--fast takes no value", &info);
      g.fast = true;
      continue;
    }
    if (name == "--force" && (info.options & kForce)) {
      if (inlineValue) return Error("--force takes no value", &info);
      g.force = true;
      continue;
    }
    if (name == "--watch" && (info.options & kWatch)) {
      if (g.watchFlag) return Error("--watch is given twice", &info);
      g.watchFlag = true;
      if (inlineValue) {
        g.watch = *inlineValue;
      } else if (i + 1 < args.size() && Seconds(args[i + 1])) {
        g.watch = args[++i];
      } else if (i + 1 < args.size() && (args[i + 1].empty() || args[i + 1][0] != '-' ||
                                         args[i + 1].size() == 1 ||
                                         std::isdigit(static_cast<unsigned char>(args[i + 1][1])))) {
        g.afterWatch = args[i + 1];
      }
      continue;
    }
    std::string message = std::string(info.name) + " has no option " + name;
    if (const std::string options = OptionSynopsis(info); !options.empty())
      message += " (lyraphone-cli " + std::string(info.name) + options + ")";
    return Error(message, &info);
  }
  return g;
}

}  // namespace

std::string_view CommandName(Command command) {
  return InfoOf(command).name;
}

bool IsOnline(Command command) {
  return command != Command::Ports && command != Command::Show && command != Command::Diff &&
         command != Command::Eq && command != Command::Response;
}

std::string VersionText() {
  return "lyraphone-cli " LYRA_VERSION "\n";
}

std::string GeneralHelp() {
  std::string out =
      "Usage: lyraphone-cli COMMAND [OPTIONS]\n"
      "\n"
      "The loudspeaker processors on a serial bus, from a terminal: the same frames, pacing and\n"
      "preset files as the LYRAPHONE window.\n"
      "\n"
      "Commands:\n";
  for (const CommandInfo& s : kCommands) {
    std::string name(s.name);
    name.resize(11, ' ');
    out += "  " + name + std::string(s.summary) + "\n";
  }
  out +=
      "\n"
      "  lyraphone-cli COMMAND --help   a command's options\n"
      "  lyraphone-cli --version        the version\n"
      "\n"
      "PORT is a name as the window's port list shows it (ttyUSB0, ttySIM0, COM3), a device\n"
      "path, or a port on the network: rfc2217://HOST:PORT (a device server with com port\n"
      "control; the tool sets 9600 8N1) or tcp://HOST:PORT (raw bytes; the server's line must\n"
      "be 9600 8N1). LIST is a DeviceId or several: 3, 1,3,5-8 (DeviceIds 1..255).\n"
      "\n"
      "Results go to standard output; progress and errors to standard error.\n"
      "--trace FILE, before the command or among its options, writes every frame the command\n"
      "sends and receives into FILE (at most 50 MB), for a support request.\n"
      "Exit status: 0 all done; 1 some device failed (diff: the files differ); 2 bad arguments or\n"
      "a damaged file; 3 the port could not be opened; 130 interrupted by Ctrl-C.\n";
  return out;
}

std::string CommandHelp(Command command) {
  const CommandInfo& s = InfoOf(command);
  std::string out = "Usage: lyraphone-cli " + std::string(s.name) + OptionSynopsis(s) + "\n\n";
  std::string summary(s.summary);
  summary[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(summary[0])));
  out += summary + ".\n";
  if (!s.details.empty()) out += "\n" + std::string(s.details);
  out += "\n";
  if (s.options & kPort)
    out +=
        "  --port PORT   a port as the window's list shows it (ttyUSB0, COM3) or a device path\n";
  if (s.options & kIds) out += "  --ids LIST    the DeviceIds to ask: 3, 1,3,5-8 (default 1-255)\n";
  if (s.options & kIdList) out += "  --id LIST     the devices: 3, 1,3,5-8\n";
  if (s.options & kIdSingle) out += "  --id N        the device's DeviceId, 1..255\n";
  if (s.options & kWatch) out += "  --watch [SECONDS]  print again every SECONDS (0.5 or more)\n";
  if (s.options & kFile) out += "  --file FILE   edit this preset file instead of a device\n";
  if (s.options & kBlock) out += "  --block N     the block 1..20 of an all-presets file (.fps)\n";
  if (s.options & kEqFile)
    out += "  --eq-file EQ.txt  equaliser settings from REW or Equalizer APO\n";
  if (s.options & kCsv) out += "  --csv         CSV with a header instead of FRD\n";
  if (s.options & kWithDelay) out += "  --with-delay  the system delay in the phase\n";
  if (s.options & kOutput) {
    out += command == Command::Read ? "  -o FILE.sps   the file to write\n"
           : command == Command::Backup ? "  -o FILE.fps|DIR   the file, or a folder for <id>.fps\n"
           : command == Command::Set
               ? "  -o OUT        with --file: where the edited file goes\n"
               : "  -o OUT        the file to write (default: standard output)\n";
  }
  if (s.options & kForce) out += "  --force       change it even when a device answers at NEW\n";
  if (s.options & kFast)
    out += "  --fast        the next block as soon as the last is in, not every 700 ms\n";
  if (s.options & kTrace)
    out += "  --trace FILE  every frame sent and received into FILE, for a support request\n";
  if (s.options & kJson) out += "  --json        the result as JSON\n";
  out += "  --help        this text\n";
  return out;
}

std::variant<Invocation, UsageError> ParseCommandLine(const std::vector<std::string>& args) {
  Invocation inv;
  if (args.empty()) return Error("no command given", nullptr);
  const std::string& first = args[0];
  if (first == "--help" || first == "-h") {
    if (args.size() > 1)
      return Error("--help takes nothing after it (try COMMAND --help)", nullptr);
    inv.action = Invocation::Action::Help;
    return inv;
  }
  if (first == "--version") {
    if (args.size() > 1) return Error("--version takes nothing after it", nullptr);
    inv.action = Invocation::Action::Version;
    return inv;
  }
  // --trace FILE before the command is the command's own option.
  if (first == "--trace" || first.rfind("--trace=", 0) == 0) {
    const bool inlineValue = first != "--trace";
    if (!inlineValue && args.size() < 2) return Error("--trace needs a file", nullptr);
    const std::size_t next = inlineValue ? 1 : 2;
    if (args.size() <= next) return Error("--trace needs a command after it", nullptr);
    const std::string file = inlineValue ? first.substr(8) : args[1];
    std::vector<std::string> moved(args.begin() + static_cast<long>(next), args.end());
    const CommandInfo* command = FindCommand(moved[0]);
    if (command && !(command->options & kTrace))
      return Error(std::string(command->name) + ": works on files alone; --trace goes with the "
                   "commands that talk to devices", command);
    const auto dashes = std::find(moved.begin(), moved.end(), "--");
    moved.insert(dashes, {"--trace", file});
    return ParseCommandLine(moved);
  }
  const CommandInfo* info = FindCommand(first);
  if (!info) {
    if (!first.empty() && first[0] == '-') return Error("unknown option " + first, nullptr);
    return Error("unknown command '" + first + "'", nullptr);
  }
  inv.command = info->command;
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  for (const std::string& a : rest) {
    if (a == "--") break;
    if (a == "--help" || a == "-h") {
      inv.action = Invocation::Action::Help;
      return inv;
    }
  }

  auto scanned = Scan(*info, rest);
  if (auto* e = std::get_if<UsageError>(&scanned)) return *e;
  Given& g = std::get<Given>(scanned);
  const std::string cmd(info->name);
  const auto fail = [&](std::string message) { return Error(cmd + ": " + message, info); };

  inv.json = g.json;
  inv.force = g.force;
  inv.fast = g.fast;
  // set --file edits a preset file: no device, so neither port nor DeviceIds.
  const bool offlineSet = info->command == Command::Set && g.file.has_value();
  if (offlineSet && (g.port || g.id))
    return fail("--file edits a preset file; --port and --id name devices and do not go with it");
  if (!offlineSet && info->command == Command::Set && (g.block || g.output))
    return fail(std::string(g.block ? "--block" : "-o") + " goes with --file only");
  if (!offlineSet && (info->required & kPort) && !g.port) return fail("--port PORT is needed");
  if (g.port && g.port->empty()) return fail("--port needs a PORT");
  inv.port = g.port;

  if ((info->options & (kIdList | kIdSingle)) && !offlineSet) {
    if (!g.id) return fail(info->options & kIdSingle ? "--id N is needed" : "--id LIST is needed");
    auto ids = ParseIdList(*g.id);
    if (auto* e = std::get_if<std::string>(&ids)) return fail("--id: " + *e);
    inv.ids = std::get<std::vector<int>>(ids);
    if ((info->options & kIdSingle) && inv.ids.size() != 1)
      return fail("works on one device: --id takes one DeviceId, not '" + *g.id + "'");
  }
  if (info->options & kIds) {
    if (g.ids) {
      auto ids = ParseIdList(*g.ids);
      if (auto* e = std::get_if<std::string>(&ids)) return fail("--ids: " + *e);
      inv.ids = std::get<std::vector<int>>(ids);
    } else {
      for (int id = kFirstDeviceId; id <= kLastDeviceId; ++id) inv.ids.push_back(id);
    }
  }
  if (g.watchFlag) {
    inv.watch = true;
    // status takes no operand: a word after --watch was meant as its SECONDS.
    if (g.afterWatch)
      return fail("--watch needs a number of seconds from 0.5 to 86400, not '" + *g.afterWatch +
                  "'");
    if (g.watch) {
      const auto s = Seconds(*g.watch);
      if (!s || !(*s >= 0.5) || *s > 86400)
        return fail("--watch: '" + *g.watch + "' is not a number of seconds from 0.5 to 86400");
      inv.watchSeconds = *s;
    }
  }
  if (info->options & kOutput) {
    if ((info->required & kOutput) && (!g.output || g.output->empty()))
      return fail("-o is needed");
    if (g.output && g.output->empty()) return fail("-o needs a file");
    inv.output = g.output;
    const auto kind = g.output ? KindOfName(*g.output) : std::nullopt;
    if (info->command == Command::Read && kind == PresetFileKind::AllPresets)
      return fail("the active preset goes to a .sps file, not '" + *g.output +
                  "' (backup writes .fps)");
    if (info->command == Command::Backup && kind == PresetFileKind::Single)
      return fail("all presets go to a .fps file or a folder, not '" + *g.output + "'");
  }

  if (g.block) {
    int n = 0;
    const auto [end, ec] = std::from_chars(g.block->data(), g.block->data() + g.block->size(), n);
    if (ec != std::errc{} || end != g.block->data() + g.block->size() || n < 1 || n > 20)
      return fail("--block takes a block number from 1 to 20, not '" + *g.block + "'");
    inv.block = n;
  }
  inv.csv = g.csv;
  inv.withDelay = g.withDelay;
  if (g.eqFile && g.eqFile->empty()) return fail("--eq-file needs a file");
  inv.eqFile = g.eqFile;
  if (g.file && g.file->empty()) return fail("--file needs a file");
  inv.presetFile = g.file;
  if (g.trace && g.trace->empty()) return fail("--trace needs a file");
  if (g.trace && offlineSet) return fail("--file edits a preset file; --trace goes with devices");
  inv.trace = g.trace;

  const std::vector<std::string>& ops = g.operands;
  const auto operands = [&](std::size_t n, std::string_view what) -> std::optional<UsageError> {
    if (ops.size() < n) return fail(std::string(what) + " is missing");
    if (ops.size() > n) return fail("'" + ops[n] + "' is one operand too many");
    return std::nullopt;
  };
  switch (info->command) {
    case Command::Ports:
    case Command::Search:
    case Command::Status:
    case Command::Read:
    case Command::Backup:
      if (auto e = operands(0, "")) return *e;
      break;
    case Command::Write:
    case Command::Restore: {
      if (auto e = operands(1, info->command == Command::Write ? "FILE.sps" : "FILE.fps"))
        return *e;
      const auto kind = KindOfName(ops[0]);
      if (info->command == Command::Write && kind == PresetFileKind::AllPresets)
        return fail("'" + ops[0] + "' holds all presets; restore loads it");
      if (info->command == Command::Restore && kind == PresetFileKind::Single)
        return fail("'" + ops[0] + "' holds one preset; write loads it");
      inv.files = ops;
      break;
    }
    case Command::Show:
      if (auto e = operands(1, "FILE")) return *e;
      inv.files = ops;
      break;
    case Command::Eq:
    case Command::Response:
      if (auto e = operands(1, "FILE")) return *e;
      inv.files = ops;
      break;
    case Command::Diff:
      if (auto e = operands(2, ops.empty() ? "A B" : "B")) return *e;
      inv.files = ops;
      break;
    case Command::LoadSlot: {
      if (auto e = operands(1, "SLOT")) return *e;
      const auto slot = SlotNumber(ops[0], inv.slotName);
      if (!slot) return fail("'" + ops[0] + "' is not a slot (Pre0..Pre5, Usr6, Usr7)");
      inv.slot = *slot;
      break;
    }
    case Command::NameSlot: {
      if (ops.size() < 2)
        return fail(ops.empty() ? "the slot Usr6|Usr7 and NAME are missing" : "NAME is missing");
      if (auto e = operands(2, "NAME")) return *e;
      const auto slot = SlotNumber(ops[0], inv.slotName);
      if (!slot || *slot < 7) return fail("'" + ops[0] + "' is not a user slot (Usr6 or Usr7)");
      inv.slot = *slot;
      std::string_view name = ops[1];
      while (!name.empty() && IsBlankOrControl(name.front())) name.remove_prefix(1);
      while (!name.empty() && IsBlankOrControl(name.back())) name.remove_suffix(1);
      for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E)
          return fail("NAME takes the characters from space to '~' only; '" + ops[1] +
                      "' has others");
      }
      if (name.size() > kPresetNameMaxLength)
        return fail("NAME has " + std::to_string(name.size()) +
                    " characters; a slot's name has at most 19");
      inv.presetName = std::string(name);
      break;
    }
    case Command::SetId: {
      if (auto e = operands(1, "NEW")) return *e;
      const auto id = ParseDeviceId(ops[0]);
      if (auto* e = std::get_if<std::string>(&id)) return fail("NEW: " + *e);
      inv.newId = std::get<int>(id);
      break;
    }
    case Command::Set:
      if (ops.empty() && !inv.eqFile)
        return fail("PARAM=VALUE is missing (for example eq1.gain=-3)");
      for (const std::string& op : ops) {
        auto setting = ParseSetting(op);
        if (auto* e = std::get_if<std::string>(&setting)) return fail(*e);
        inv.settings.push_back(std::get<Setting>(setting));
      }
      // The device has no bypass of its own: a bypassed band is sent flat, so a gain given with
      // it would be printed as stored and never reach the device.
      for (const Setting& bypass : inv.settings) {
        if (bypass.parameter != SetParameter::EqBypass || bypass.choice != 1) continue;
        for (const Setting& gain : inv.settings) {
          if (gain.parameter != SetParameter::EqGain || gain.row != bypass.row) continue;
          return fail(bypass.name + "=" + bypass.valueText + " and " + gain.name + "=" +
                      gain.valueText +
                      " cannot go together: the device has no bypass of its own, a bypassed band "
                      "is sent flat (0 dB) and the gain would not be stored");
        }
      }
      break;
  }
  return inv;
}

}  // namespace lyra::cli
