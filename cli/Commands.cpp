#include "cli/Commands.h"

#include <algorithm>

#include "cli/CommandLine.h"
#include "cli/ExitCodes.h"
#include "cli/Json.h"
#include "cli/OfflineCommands.h"
#include "cli/OutputCheck.h"
#include "cli/PortChoice.h"
#include "cli/PresetFile.h"
#include "cli/PresetReport.h"
#include "measure/EqImport.h"
#include "serial/DemoPort.h"

namespace lyra::cli {

namespace fs = std::filesystem;

namespace {

int Fail(std::ostream& err, const std::string& message, int code) {
  err << "lyraphone-cli: " << message << "\n";
  return code;
}

int Ports(const Invocation& inv, std::ostream& out, std::ostream& err, CliEnvironment& env) {
  const std::vector<PortEntry> ports = ListPorts(env.ports);
  if (inv.json) {
    JsonWriter j;
    j.beginArray();
    for (const PortEntry& p : ports) {
      j.beginObject();
      j.key("name");
      j.string(p.name);
      j.key("path");
      j.string(p.devicePath);
      j.endObject();
    }
    j.endArray();
    out << j.text();
    return kExitDone;
  }
  std::size_t width = 0;
  for (const PortEntry& p : ports) width = std::max(width, p.name.size());
  for (const PortEntry& p : ports)
    out << p.name << std::string(width + 2 - p.name.size(), ' ') << p.devicePath << "\n";
  if (ports.empty()) {
    err << "lyraphone-cli: no serial ports found\n";
  } else if (std::all_of(ports.begin(), ports.end(),
                         [](const PortEntry& p) { return isDemoPort(p); })) {
    err << "lyraphone-cli: no serial ports found; --port demo reaches simulated devices\n";
  }
  return kExitDone;
}

// Reads a preset file for show, diff, write and restore; a damaged one is reported with its line.
std::optional<PresetFileContent> Load(const std::string& file, std::optional<PresetFileKind> kind,
                                      std::ostream& err) {
  auto read = ReadPresetFile(file, kind);
  if (auto* problem = std::get_if<PresetFileProblem>(&read)) {
    err << "lyraphone-cli: " << problem->message << "\n";
    return std::nullopt;
  }
  return std::get<PresetFileContent>(std::move(read));
}

int Show(const Invocation& inv, std::ostream& out, std::ostream& err) {
  const auto content = Load(inv.files[0], std::nullopt, err);
  if (!content) return kExitUsage;
  out << (inv.json ? ShowJson(inv.files[0], *content) : ShowText(inv.files[0], *content));
  return kExitDone;
}

int Diff(const Invocation& inv, std::ostream& out, std::ostream& err) {
  const auto a = Load(inv.files[0], std::nullopt, err);
  if (!a) return kExitUsage;
  const auto b = Load(inv.files[1], std::nullopt, err);
  if (!b) return kExitUsage;
  auto result = DiffPresetFiles(inv.files[0], *a, inv.files[1], *b, inv.json);
  if (auto* problem = std::get_if<std::string>(&result)) return Fail(err, *problem, kExitUsage);
  const DiffResult& diff = std::get<DiffResult>(result);
  out << diff.output;
  return diff.same ? kExitDone : kExitDeviceFailed;
}

// What an online command can check without a device: its files and its port.
int Online(const Invocation& inv, std::ostream& out, std::ostream& err, CliEnvironment& env) {
  const Command command = *inv.command;
  const std::string name(CommandName(command));
  if (command == Command::Write && !Load(inv.files[0], PresetFileKind::Single, err))
    return kExitUsage;
  if (command == Command::Restore && !Load(inv.files[0], PresetFileKind::AllPresets, err))
    return kExitUsage;
  if (command == Command::Backup) {
    auto files = BackupFiles(*inv.output, inv.ids);
    if (auto* problem = std::get_if<std::string>(&files))
      return Fail(err, name + ": " + *problem, kExitUsage);
    // Every file the command will write can be written, before the bus is touched.
    const auto& paths = std::get<std::vector<fs::path>>(files);
    if (IsFolderName(*inv.output)) {
      if (auto problem = MakeFolder(*inv.output))
        return Fail(err, name + ": " + *problem, kExitUsage);
    }
    if (auto problem = CheckWritable(paths.front()))
      return Fail(err, name + ": " + *problem, kExitUsage);
  }
  std::error_code ec;
  if (command == Command::Read && fs::is_directory(*inv.output, ec))
    return Fail(err, name + ": " + *inv.output + " is a folder; read writes one .sps file",
                kExitUsage);
  if (command == Command::Read) {
    if (auto problem = CheckWritable(*inv.output))
      return Fail(err, name + ": " + *problem, kExitUsage);
  }

  std::vector<PortEntry> ports;
  if (inv.port) {
    auto port = ResolvePort(*inv.port, env.ports);
    if (auto* problem = std::get_if<std::string>(&port))
      return Fail(err, *problem, kExitPortUnavailable);
    ports.push_back(std::get<PortEntry>(port));
    // Standard error, so that no script's results change: these devices are no hardware.
    if (isDemoPort(ports.back()))
      err << "lyraphone-cli: Demo: simulated devices inside the tool, not hardware\n";
  } else {
    // Every port of the system's; Demo only by name.
    ports = ListPorts(env.ports);
    std::erase_if(ports, [](const PortEntry& p) { return isDemoPort(p); });
    if (ports.empty()) return Fail(err, "no serial ports found", kExitPortUnavailable);
  }
  if (!env.devices)
    return Fail(err, name + ": no serial driver to talk to devices with; nothing was sent",
                kExitDeviceFailed);
  return RunDeviceCommand(inv, ports, env.ports, *env.devices, out, err, env.errIsTerminal);
}

}  // namespace

bool IsFolderName(const std::string& output) {
  std::error_code ec;
  return fs::is_directory(output, ec) ||
         (!output.empty() && (output.back() == '/' || output.back() == '\\'));
}

std::variant<std::vector<fs::path>, std::string> BackupFiles(const std::string& output,
                                                             const std::vector<int>& ids) {
  const bool folder = IsFolderName(output);
  std::vector<fs::path> files;
  if (!folder) {
    if (ids.size() > 1)
      return "several devices need a folder for -o (each goes to <id>.fps in it), not the file " +
             output;
    files.emplace_back(output);
    return files;
  }
  for (int id : ids) files.push_back(fs::path(output) / (std::to_string(id) + ".fps"));
  return files;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           CliEnvironment& environment) {
  auto parsed = ParseCommandLine(args);
  if (auto* usage = std::get_if<UsageError>(&parsed)) {
    err << "lyraphone-cli: " << usage->message << "\n";
    err << "Try 'lyraphone-cli "
        << (usage->command ? std::string(CommandName(*usage->command)) + " " : std::string())
        << "--help'.\n";
    return kExitUsage;
  }
  Invocation& inv = std::get<Invocation>(parsed);
  switch (inv.action) {
    case Invocation::Action::Help:
      out << (inv.command ? CommandHelp(*inv.command) : GeneralHelp());
      return kExitDone;
    case Invocation::Action::Version:
      out << VersionText();
      return kExitDone;
    case Invocation::Action::Run:
      break;
  }
  // Equaliser settings are read whole before any device or file is touched.
  if (inv.eqFile) {
    auto settings = ReadEqSettingsFile(*inv.eqFile);
    if (auto* problem = std::get_if<std::string>(&settings))
      return Fail(err, "set: " + *problem + "; nothing was changed", kExitUsage);
    inv.eqSettings = std::get<EqSettings>(std::move(settings));
    // A Preamp the system level cannot take refuses the file before the bus is touched.
    auto prepared = PrepareEqImport(*inv.eqSettings, PresetImage{});
    if (auto* problem = std::get_if<std::string>(&prepared))
      return Fail(err, "set: " + *inv.eqFile + ": " + *problem + "; nothing was changed",
                  kExitUsage);
  }
  if (inv.command == Command::Set && inv.presetFile) return RunSetFile(inv, out, err);
  switch (*inv.command) {
    case Command::Ports:
      return Ports(inv, out, err, environment);
    case Command::Show:
      return Show(inv, out, err);
    case Command::Diff:
      return Diff(inv, out, err);
    case Command::Eq:
      return RunEq(inv, out, err);
    case Command::Response:
      return RunResponse(inv, out, err);
    default:
      return Online(inv, out, err, environment);
  }
}

}  // namespace lyra::cli
