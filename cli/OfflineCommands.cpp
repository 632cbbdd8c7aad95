#include "cli/OfflineCommands.h"

#include "cli/ExitCodes.h"
#include "cli/OutputCheck.h"
#include "cli/PresetFile.h"
#include "cli/SetParameters.h"
#include "measure/EqImport.h"
#include "measure/ResponseData.h"
#include "preset/ParameterRow.h"
#include "preset/PresetDecoder.h"
#include "storage/PresetFiles.h"

namespace lyra::cli {

namespace {

int Fail(std::ostream& err, const std::string& message, int code = kExitUsage) {
  err << "lyraphone-cli: " << message << "\n";
  return code;
}

// The preset file and the block the command works on.
struct LoadedBlock {
  PresetFileContent content;
  std::size_t index = 0;  // into content.blocks
  PresetImage image;
};

std::variant<LoadedBlock, std::string> LoadBlock(const std::string& file, std::optional<int> block,
                                                 std::string_view command) {
  auto read = ReadPresetFile(file);
  if (auto* problem = std::get_if<PresetFileProblem>(&read)) return problem->message;
  LoadedBlock loaded;
  loaded.content = std::get<PresetFileContent>(std::move(read));
  const std::string name(command);
  if (loaded.content.kind == PresetFileKind::AllPresets) {
    if (!block) return name + ": " + file + " holds twenty presets; --block N (1..20) names one";
    loaded.index = static_cast<std::size_t>(*block - 1);
  } else if (block) {
    return name + ": " + file + " holds one preset; --block is for all-presets files";
  }
  if (!DecodePresetBlock(loaded.content.blocks.at(loaded.index), loaded.image))
    return name + ": " + file + ": the preset cannot be read";
  return loaded;
}

// Text to -o OUT (written whole, or not at all) or to standard output.
int Emit(const Invocation& inv, const std::string& text, std::ostream& out, std::ostream& err) {
  if (!inv.output) {
    out << text;
    return kExitDone;
  }
  const std::string name(CommandName(*inv.command));
  if (auto problem = CheckWritable(*inv.output)) return Fail(err, name + ": " + *problem);
  if (auto problem = WriteTextLines(*inv.output, SplitTextLines(text)))
    return Fail(err, name + ": " + *problem, kExitDeviceFailed);
  return kExitDone;
}

char HexDigit(int v) {
  return "0123456789ABCDEF"[v & 0x0F];
}

// The block text with its data bytes replaced and the checksum made again; the header bytes stay
// as they came, so the file loads into the same place as before.
std::string BlockWithData(const std::string& text, const PresetData& data) {
  std::string result = text.substr(0, 2 * kPresetDataFirstFrameByte);
  std::uint8_t checksum = 0;
  for (std::size_t k = 3; k < kPresetDataFirstFrameByte; ++k)
    checksum ^=
        static_cast<std::uint8_t>(HexDigitValue(text[2 * k]) * 16 + HexDigitValue(text[2 * k + 1]));
  for (std::uint8_t b : data) {
    result += HexDigit(b >> 4);
    result += HexDigit(b);
    checksum ^= b;
  }
  result += HexDigit(checksum >> 4);
  result += HexDigit(checksum);
  result += "AA";
  return result;
}

// The rows an edit sends, stored in the data bytes as the device stores a parameter write: the
// row's eight bytes at its place (row k of PresetRowAddresses() is data bytes 8k .. 8k + 7).
void StoreRows(const PresetEdit& edit, PresetData& data) {
  const auto addresses = PresetRowAddresses();
  for (const SendRow& row : edit.rowsToSend()) {
    const Frame frame = edit.frameFor(row, 0);
    const RowAddress at{frame[6], frame[7]};
    for (std::size_t k = 0; k < addresses.size(); ++k) {
      if (!(addresses[k] == at)) continue;
      for (std::size_t i = 0; i < 8; ++i) data[8 * k + i] = frame[kPresetDataFirstFrameByte + i];
    }
  }
}

}  // namespace

int RunEq(const Invocation& inv, std::ostream& out, std::ostream& err) {
  auto loaded = LoadBlock(inv.files[0], inv.block, "eq");
  if (auto* problem = std::get_if<std::string>(&loaded)) return Fail(err, *problem);
  const std::array<bool, kBandsPerWay> noBypass{};
  return Emit(inv, WriteEqSettings(std::get<LoadedBlock>(loaded).image, noBypass), out, err);
}

int RunResponse(const Invocation& inv, std::ostream& out, std::ostream& err) {
  auto loaded = LoadBlock(inv.files[0], inv.block, "response");
  if (auto* problem = std::get_if<std::string>(&loaded)) return Fail(err, *problem);
  const std::array<bool, kBandsPerWay> noBypass{};
  const std::vector<ResponsePoint> points =
      MainResponse(std::get<LoadedBlock>(loaded).image, noBypass, inv.withDelay);
  return Emit(inv, inv.csv ? WriteCsv(points) : WriteFrd(points), out, err);
}

int RunSetFile(const Invocation& inv, std::ostream& out, std::ostream& err) {
  auto read = LoadBlock(*inv.presetFile, inv.block, "set");
  if (auto* problem = std::get_if<std::string>(&read)) return Fail(err, *problem);
  LoadedBlock& loaded = std::get<LoadedBlock>(read);
  const std::string target = inv.output.value_or(*inv.presetFile);
  if (auto problem = CheckWritable(target)) return Fail(err, "set: " + *problem);

  BandBypass bypass{};  // a file has no Bypass boxes
  PresetEdit edit(loaded.image, bypass);
  if (inv.eqSettings) {
    auto prepared = PrepareEqImport(*inv.eqSettings, loaded.image);
    if (auto* problem = std::get_if<std::string>(&prepared))
      return Fail(err, "set: " + *inv.eqFile + ": " + *problem);
    const EqImport& import = std::get<EqImport>(prepared);
    edit.applyEqImport(import);
    out << DescribeEqImport(import);
  }
  bool ok = true;
  for (const Setting& setting : inv.settings) {
    const SetResult r = edit.apply(setting);
    if (r.problem) {
      err << "lyraphone-cli: set: " << r.parameter << ": " << *r.problem << "\n";
      ok = false;
      continue;
    }
    out << r.parameter << " = " << r.stored << (r.adjusted ? " (adjusted)" : "")
        << (r.changedNothing ? " (unchanged)" : "")
        << (r.note ? " (" + *r.note + ")" : std::string()) << "\n";
  }

  std::string& text = loaded.content.blocks[loaded.index];
  auto data = ReadPresetData(text);
  if (!data) return Fail(err, "set: " + *inv.presetFile + ": the preset cannot be read");
  StoreRows(edit, *data);
  text = BlockWithData(text, *data);
  if (auto problem = WriteTextLines(target, loaded.content.blocks))
    return Fail(err, "set: " + *problem, kExitDeviceFailed);
  err << "lyraphone-cli: set: wrote " << target << "\n";
  return ok ? kExitDone : kExitDeviceFailed;
}

}  // namespace lyra::cli
