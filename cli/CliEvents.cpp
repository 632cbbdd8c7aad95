#include "cli/CliEvents.h"

#include "serial/NetworkAddress.h"

namespace lyra::cli {

namespace {

struct Line {
  std::string text;
  std::string detail;
};

constexpr const char* kNoPort = "No port.";

// The connection's lines, as the window's boxes word them.
std::optional<Line> connectLine(const Outcome& o) {
  switch (o.kind) {
    case OutcomeKind::NoAnswer:
      return Line{"UNABLE TO CONNECT TO DEVICE!\rPlease make sure the device ID is correct.", {}};
    case OutcomeKind::Overtime:
      return Line{"overtime,please try again.", {}};
    case OutcomeKind::LinkInterrupted:
      return Line{"CONNECTION INTERRUPTED!\rPlease check data cables and reconnect.", {}};
    case OutcomeKind::PortLost:
      return Line{kNoPort, "The port has left the system."};
    case OutcomeKind::NoPortChosen:
      return Line{kNoPort, "There is no serial port."};
    case OutcomeKind::NoPort:
      // A network port that refused the connection or whose host is unknown: the system says which.
      if (isNetworkAddress(o.path) && !o.systemText.empty()) return Line{kNoPort, o.systemText};
      return Line{kNoPort, "The port does not exist."};
    case OutcomeKind::PortDenied:
      return Line{kNoPort,
                  "Permission denied. On Linux the user must be in the dialout group "
                  "(sudo usermod -aG dialout $USER) and log in again."};
    case OutcomeKind::PortBusy:
      return Line{kNoPort, "The port is in use by another program."};
    case OutcomeKind::NotASerialPort:
      return Line{kNoPort, "This is not a serial port.\n(" + o.systemText + ")"};
    case OutcomeKind::PortFailed:
      return Line{kNoPort, o.systemText};
    default:
      return std::nullopt;
  }
}

// The line an outcome prints; nothing for those that end without a word.
std::optional<Line> lineFor(const Outcome& o) {
  if (o.operation == Operation::Connect) return connectLine(o);
  switch (o.kind) {
    case OutcomeKind::Saved:
      if (o.operation == Operation::NameSave) return Line{"Successfully save.", {}};
      return std::nullopt;  // the command prints where the file went
    case OutcomeKind::Acknowledged:
      return Line{"DeviceID change to " + std::to_string(o.deviceId), {}};
    case OutcomeKind::DeviceIdInUse:
      return Line{"DeviceId " + std::to_string(o.deviceId) + " is already in use on this bus.", {}};
    case OutcomeKind::Overtime:
      return Line{kOvertimeLine, {}};
    case OutcomeKind::NoAnswer:
      return Line{"The device ID no response, please try again or check the ID is correct.", {}};
    case OutcomeKind::FileDamaged:
      return Line{"File damaged.", {}};
    case OutcomeKind::NotAPresetFile:
      return Line{"This is not a preset file.", o.path + ": " + o.systemText};
    case OutcomeKind::ReadFailed:
      return Line{"The file could not be read.", o.path + ": " + o.systemText};
    case OutcomeKind::WriteFailed:
      return Line{"The file could not be saved.", o.systemText};
    default:
      return std::nullopt;
  }
}

}  // namespace

void CliEvents::ended(const Outcome& outcome) {
  outcomes_.push_back(outcome);
  if (const auto line = lineFor(outcome)) print(line->text, line->detail, outcome.succeeded());
  if (onEnded) onEnded(outcome);
}

void CliEvents::fail(const std::string& text, const std::string& detail) {
  print(text, detail, false);
}

std::optional<Outcome> CliEvents::outcomeOf(Operation operation) const {
  for (auto o = outcomes_.rbegin(); o != outcomes_.rend(); ++o) {
    if (o->operation == operation) return *o;
  }
  return std::nullopt;
}

void CliEvents::print(const std::string& text, const std::string& detail, bool success) {
  if (!success) failures_.push_back(text);
  // A box breaks its lines at "\r" and "\r\n"; one line of a terminal's log reads better.
  std::string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    shown += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
  }
  if (!detail.empty()) shown += " (" + detail + ")";
  const std::string about = context.empty() ? std::string() : context + ": ";
  if (printResult && success) {
    printResult(about + shown);
    return;
  }
  print_("lyraphone-cli: " + about + shown);
}

}  // namespace lyra::cli
