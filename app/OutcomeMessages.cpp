#include "app/OutcomeMessages.h"

#include "serial/NetworkAddress.h"

namespace lyra {

namespace {

constexpr const char* kNoPortText = "No port.";

std::optional<WindowMessage> connectMessage(const Outcome& o) {
  switch (o.kind) {
    case OutcomeKind::NoAnswer:
      return WindowMessage{"UNABLE TO CONNECT TO DEVICE!\rPlease make sure the device ID is correct.", {}};
    case OutcomeKind::Overtime:
      return WindowMessage{"overtime,please try again.", {}};
    case OutcomeKind::LinkInterrupted:
      return WindowMessage{"CONNECTION INTERRUPTED!\rPlease check data cables and reconnect.", {}};
    case OutcomeKind::PortLost:
      return WindowMessage{kNoPortText, "The port has left the system."};
    case OutcomeKind::NoPortChosen:
      return WindowMessage{kNoPortText, "There is no serial port."};
    case OutcomeKind::NoPort:
      // A network port that refused the connection or whose host is unknown: the system says which.
      if (isNetworkAddress(o.path) && !o.systemText.empty()) return WindowMessage{kNoPortText, o.systemText};
      return WindowMessage{kNoPortText, "The port does not exist."};
    case OutcomeKind::PortDenied:
      return WindowMessage{kNoPortText,
                           "Permission denied. On Linux the user must be in the dialout group "
                           "(sudo usermod -aG dialout $USER) and log in again."};
    case OutcomeKind::PortBusy:
      return WindowMessage{kNoPortText, "The port is in use by another program."};
    case OutcomeKind::NotASerialPort:
      return WindowMessage{kNoPortText, "This is not a serial port.\n(" + o.systemText + ")"};
    case OutcomeKind::PortFailed:
      return WindowMessage{kNoPortText, o.systemText};
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<WindowMessage> windowMessageFor(const Outcome& o) {
  if (o.operation == Operation::Connect) return connectMessage(o);
  switch (o.kind) {
    case OutcomeKind::Saved:
      if (o.operation == Operation::NameSave) return WindowMessage{"Successfully save.", {}};
      return std::nullopt;
    case OutcomeKind::Acknowledged:
      return WindowMessage{"DeviceID change to " + std::to_string(o.deviceId), {}};
    case OutcomeKind::DeviceIdInUse:
      return WindowMessage{
          "DeviceId " + std::to_string(o.deviceId) + " is already in use on this bus.", {}};
    case OutcomeKind::Overtime:
      return WindowMessage{kOvertimeText, {}};
    case OutcomeKind::NoAnswer:
      return WindowMessage{
          "The device ID no response, please try again or check the ID is correct.", {}};
    case OutcomeKind::FileDamaged:
      return WindowMessage{"File damaged.", {}};
    case OutcomeKind::NotAPresetFile:
      return WindowMessage{"This is not a preset file.", o.path + ": " + o.systemText};
    case OutcomeKind::ReadFailed:
      return WindowMessage{"The file could not be read.", o.path + ": " + o.systemText};
    case OutcomeKind::WriteFailed:
      return WindowMessage{"The file could not be saved.", o.systemText};
    default:
      return std::nullopt;
  }
}

WindowQuestion windowQuestionFor(Question question) {
  switch (question) {
    case Question::SameOnAllDevices:
      return {"Please make sure you have select\r\nthe same preset on all devices",
              Dialogs::Buttons::YesCancel};
    case Question::ReplaceActivePreset:
      return {"Loading a Preset will replace the active\r\nPreset.Do you want to proceed?",
              Dialogs::Buttons::YesNo};
    case Question::SavePresetToPc:
      return {"Saving a Preset to PC.Do you want\r\nto proceed?", Dialogs::Buttons::YesNo};
    case Question::SaveAllPresetsToPc:
      return {"Saving all Presets to PC.Do you\r\nwant to proceed?", Dialogs::Buttons::YesNo};
    case Question::OverwriteAllPresets:
      return {"Loading all Presets will overwrite all\r\npresets already stored in the "
              "unit.\r\nDo you want to proceed?",
              Dialogs::Buttons::YesNo};
  }
  return {"", Dialogs::Buttons::YesNo};
}

WindowFileDialog windowFileDialogFor(FileChoice choice) {
  switch (choice) {
    case FileChoice::SavePreset:  // SaveDialog2
      return {{"lyraphonefile(*.sps)|*.sps", "mystyle", "sps"}, true};
    case FileChoice::OpenPreset:  // OpenDialog2
      return {{"lyraphonefile(*.sps)|*.sps", "mystyle", "sps"}, false};
    case FileChoice::SaveAllPresets:  // SaveDialog1
      return {{"lyraphone(*.fps)|*.fps", "myallstyle", "fps"}, true};
    case FileChoice::OpenAllPresets:  // OpenDialog1
      return {{"lyraphonefile(*.fps)|*.fps", "myallstyle", "fps"}, false};
  }
  return {{}, false};
}

void WindowEvents::ended(const Outcome& outcome) {
  if (const auto m = windowMessageFor(outcome)) dialogs_.message(m->text, m->detail);
}

bool WindowEvents::confirm(Question question) {
  const WindowQuestion q = windowQuestionFor(question);
  return dialogs_.question(q.text, q.buttons) == Dialogs::Answer::Yes;
}

std::optional<std::string> WindowEvents::choosePath(FileChoice choice) {
  const WindowFileDialog d = windowFileDialogFor(choice);
  return d.saving ? dialogs_.saveFile(d.dialog) : dialogs_.openFile(d.dialog);
}

}  // namespace lyra
