#pragma once
// What the device sessions tell their front end, as values: how each operation ended (Outcome),
// what they ask the user (Question), which file they ask for (FileChoice) and how far a transfer
// has come (Progress). The sessions hold no text the user reads: the window turns these into its
// boxes (app/OutcomeMessages), the tool into its lines and exit codes (cli/CliEvents).

#include <optional>
#include <string>
#include <utility>

namespace lyra {

enum class Operation {
  Connect,         // the handshake, or the BroadcastMode question, and the link that follows
  Search,          // a bus search (full or at start-up)
  DeviceIdChange,  // a new DeviceId for the connected device
  SlotLoad,        // a device slot into the active preset
  NameSave,        // a preset name into Usr6 or Usr7
  SavePreset,      // the active preset to a *.sps file
  SaveAllPresets,  // the twenty stored blocks to a *.fps file
  LoadPreset,      // a *.sps file into the active preset
  LoadAllPresets,  // a *.fps file into the twenty stored blocks
  GroupData,       // one preset to every device of a group (BroadcastMode)
};

enum class OutcomeKind {
  // How an operation succeeds.
  Linked,        // connect: the names are in (or BroadcastMode was confirmed)
  Done,          // search: it ran over every port, or until an error ended it
  Saved,         // a file written (path), a name stored by the device
  Loaded,        // a preset is in the device and in the image
  Sent,          // group data went out twice; nothing on a broadcast answers
  Acknowledged,  // DeviceId: the device took the new one (deviceId)
  // How it does not.
  Cancelled,          // the user answered No or chose no file
  Overtime,           // the reply the operation waits for did not come in time
  NoAnswer,           // connect: not one byte; group data: the source device was silent
  LinkInterrupted,    // connect: the link watchdog heard nothing
  FileDamaged,        // the file's text is no preset (path; far too large counts too)
  NotAPresetFile,     // the path is no file (path, systemText)
  ReadFailed,         // path, systemText
  EmptyFile,          // the chosen file holds no line: passed over without a word (path)
  WriteFailed,        // path, systemText
  NoPortChosen,       // connect: the system has no serial port to choose
  NoPort,             // connect: the port does not exist (any more)
  PortDenied,         // connect: no permission for the port
  PortBusy,           // connect: another program holds the port
  NotASerialPort,     // connect: the path opened but is no serial port (systemText)
  PortFailed,         // connect: any other reason the port did not open (systemText)
  PortLost,           // the port left the system while linked (or during a question)
  DeviceIdInUse,      // a device answered at the new DeviceId (deviceId): nothing was sent
  NoLink,             // there was no port, or it left meanwhile: ended without a word
};

struct Outcome {
  Outcome(Operation op, OutcomeKind k, std::string filePath = {}, std::string system = {})
      : operation(op), kind(k), path(std::move(filePath)), systemText(std::move(system)) {}

  Operation operation;
  OutcomeKind kind;
  std::string path;        // the file, where there is one
  std::string systemText;  // the system's own reason, where there is one
  int deviceId = 0;        // DeviceIdChange: the new one

  bool succeeded() const {
    return kind == OutcomeKind::Linked || kind == OutcomeKind::Done ||
           kind == OutcomeKind::Saved || kind == OutcomeKind::Loaded ||
           kind == OutcomeKind::Sent || kind == OutcomeKind::Acknowledged;
  }
};

// The questions the sessions ask before they act; each is answered Yes or not.
enum class Question {
  SameOnAllDevices,     // BroadcastMode connect: the same preset selected on every device?
  ReplaceActivePreset,  // a slot or a *.sps file replaces the active preset
  SavePresetToPc,
  SaveAllPresetsToPc,
  OverwriteAllPresets,  // a *.fps file replaces every stored preset
};

enum class FileChoice {
  SavePreset,      // a *.sps file to write
  OpenPreset,      // a *.sps file to read (a load, or a group's initial data)
  SaveAllPresets,  // a *.fps file to write
  OpenAllPresets,  // a *.fps file to read
};

// The wait box of a transfer: shown at percent, moved on, hidden.
struct Progress {
  enum class Step { Shown, Moved, Hidden };
  Step step;
  int percent = 0;
};

// The front end a session reports to. Questions and file choices come back as the front end's
// nested event loop returns (a real box keeps the clock, the replies and the port check running
// while it is up).
class SessionEvents {
 public:
  virtual ~SessionEvents() = default;
  virtual void ended(const Outcome& outcome) = 0;
  virtual bool confirm(Question question) = 0;
  // The chosen path, or nothing when the user cancels.
  virtual std::optional<std::string> choosePath(FileChoice choice) = 0;
  virtual void progress(const Progress& step) = 0;
};

}  // namespace lyra
