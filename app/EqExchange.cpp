#include "app/EqExchange.h"

#include <cctype>

#include "measure/EqImport.h"
#include "measure/EqSettingsFile.h"
#include "measure/ResponseData.h"
#include "storage/PresetFiles.h"

namespace lyra {

namespace {

const FileDialogOptions kSettingsFile{"Equaliser settings (*.txt)|*.txt", "equaliser", "txt"};
const FileDialogOptions kResponseFile{"Frequency response (*.frd *.csv)|*.frd *.csv", "response",
                                   "frd"};

// The file's name without its folders, from the dialog's text as it is (no conversion through
// the system's code page, which a name in another script may not survive).
std::string FileName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A reason that starts with the file's path names the file by its name alone.
std::string WithFileName(const std::string& reason, const std::string& path) {
  if (reason.rfind(path, 0) != 0) return reason;
  return FileName(path) + reason.substr(path.size());
}

bool EndsWithCsv(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ext = path.substr(path.size() - 4);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".csv";
}

std::string ImportQuestion(const EqImport& import) {
  std::string text = "Import these equaliser settings into the Main EQ?\r\r" +
                     DescribeEqImport(import) +
                     "\rBands that are OFF, None or not in the file are made flat (0 dB). "
                     "Bypass is cleared on all six bands.\r";
  text += import.systemLevel ? "Preamp sets the system level.\r"
                             : "The file has no Preamp: the system level stays as it is.\r";
  text += "\rYes stores and sends the six bands";
  text += import.systemLevel ? " and the system level now." : " now.";
  return text;
}

}  // namespace

EqExchange::EqExchange(Parts parts) : p_(parts) {
  QObject::connect(p_.areas.importEqAction, &QAction::triggered, [this] { importSettings(); });
  QObject::connect(p_.areas.exportEqAction, &QAction::triggered, [this] { exportSettings(); });
  QObject::connect(p_.areas.exportResponseAction, &QAction::triggered,
                   [this] { exportResponse(); });
}

bool EqExchange::linked() const {
  return p_.connection.connected() && p_.link.PortOpen();
}

void EqExchange::importSettings() {
  if (!linked()) {
    p_.dialogs.message(kNotConnected);
    return;
  }
  const std::optional<std::string> path = p_.dialogs.openFile(kSettingsFile);
  if (!path) return;
  // The file dialog ran the event loop too.
  if (!linked()) {
    p_.dialogs.message(kLinkEnded);
    return;
  }
  auto read = ReadEqSettingsFile(*path);
  if (auto* reason = std::get_if<std::string>(&read)) {
    p_.dialogs.message(std::string(kNotImported) + " Nothing was sent.\r\r" +
                       WithFileName(*reason, *path));
    return;
  }
  auto prepared = PrepareEqImport(std::get<EqSettings>(read), p_.image);
  if (auto* reason = std::get_if<std::string>(&prepared)) {
    p_.dialogs.message(std::string(kNotImported) + " Nothing was sent.\r\r" + FileName(*path) +
                       ": " + *reason);
    return;
  }
  const EqImport& import = std::get<EqImport>(prepared);
  if (p_.dialogs.question(ImportQuestion(import), Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes)
    return;
  // The box ran the event loop: the port may have left, the watchdog may have ended the link.
  if (!linked()) {
    p_.dialogs.message(kLinkEnded);
    return;
  }
  store(import);
}

void EqExchange::store(const EqImport& import) {
  // What the question showed is what is stored, even if a reply changed the image meanwhile.
  ApplyEqImport(import, p_.image);
  p_.wiring.equalizer.clearBypass();
  p_.equalizer.fill(Way::Main);
  // Each band as its own edit sends it: redrawn, then its frame into its send slot.
  for (int row = 0; row < kBandsPerWay; ++row) p_.wiring.equalizer.redrawAndSend(row);
  if (import.systemLevel)
    p_.wiring.levels.systemLevelChosen(kSystemLevelZeroDb - *import.systemLevel);
}

void EqExchange::exportSettings() {
  const std::optional<std::string> path = p_.dialogs.saveFile(kSettingsFile);
  if (!path) return;
  const std::string text = WriteEqSettings(p_.image, p_.editing.bypass);
  if (auto problem = WriteTextLines(*path, SplitTextLines(text)))
    p_.dialogs.message(std::string(kEqNotSaved) + "\r\r" + *problem);
}

void EqExchange::exportResponse() {
  const std::optional<std::string> path = p_.dialogs.saveFile(kResponseFile);
  if (!path) return;
  // The graph's view of the Main path: its bypassed bands flat, without the delay.
  const std::vector<ResponsePoint> points = MainResponse(p_.image, p_.editing.bypass, false);
  const std::string text = EndsWithCsv(*path) ? WriteCsv(points) : WriteFrd(points);
  if (auto problem = WriteTextLines(*path, SplitTextLines(text)))
    p_.dialogs.message(std::string(kResponseNotSaved) + "\r\r" + *problem);
}

}  // namespace lyra
