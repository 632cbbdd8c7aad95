#pragma once
// lyraphone-cli's commands: the command line in, results on `out`, progress and errors on `err`,
// an exit code back.

#include <filesystem>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "cli/DeviceCommands.h"
#include "serial/PortSource.h"

namespace lyra::cli {

struct CliEnvironment {
  PortSource& ports;
  bool errIsTerminal = false;  // progress as a bar rather than lines
  // What the device commands run on; without it they check their arguments, files and port and
  // stop there.
  DeviceIo* devices = nullptr;
};

// args without the program's name.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           CliEnvironment& environment);

// Where `backup -o OUTPUT` puts each device's presets: OUTPUT itself for one device, or
// OUTPUT/<id>.fps when OUTPUT is a folder (one that exists, or a name ending in "/"). Several
// devices need a folder.
// Whether `-o OUTPUT` names a folder: one that exists, or a name ending in "/".
bool IsFolderName(const std::string& output);

std::variant<std::vector<std::filesystem::path>, std::string> BackupFiles(
    const std::string& output, const std::vector<int>& ids);

}  // namespace lyra::cli
