#pragma once
// The File menu's exchange with the measurement tools: "Import equaliser settings...",
// "Export equaliser settings..." and "Export response...". The texts are measure/'s, the same the
// command-line tool reads and writes; the window adds the dialogs and the sending.
//
// An import changes the device, so it needs a connection: without one it is refused with a
// message, and nothing in the window changes. It shows what will be stored, band by band, and
// asks before anything is stored or sent. A question runs a nested event loop: the link can end
// while it is up, and the answer then sends nothing.

#include <string>

#include "app/Connection.h"
#include "app/WindowAreas.h"
#include "editing/EditingState.h"
#include "editing/EditingWiring.h"
#include "editing/EqualizerPanel.h"
#include "measure/EqImport.h"
#include "preset/PresetImage.h"
#include "protocol/Dialogs.h"
#include "serial/SerialLink.h"

namespace lyra {

class EqExchange {
 public:
  static constexpr const char* kNotConnected =
      "Connect to a device first: imported equaliser settings are sent to the device at once. "
      "Nothing was imported.";
  static constexpr const char* kNotImported = "The equaliser settings were not imported.";
  static constexpr const char* kLinkEnded =
      "The equaliser settings were not imported: the connection ended. Nothing was sent.";
  static constexpr const char* kEqNotSaved = "The equaliser settings could not be saved.";
  static constexpr const char* kResponseNotSaved = "The response could not be saved.";

  struct Parts {
    WindowAreas& areas;
    Connection& connection;
    SerialLink& link;
    PresetImage& image;
    EditingState& editing;
    EqualizerPanel& equalizer;
    EditingWiring& wiring;
    Dialogs& dialogs;
  };
  explicit EqExchange(Parts parts);

  void importSettings();
  void exportSettings();
  void exportResponse();

 private:
  bool linked() const;
  // The six bands (and the level) as the question showed them: stored, drawn, shown and sent.
  void store(const EqImport& import);

  Parts p_;
};

}  // namespace lyra
