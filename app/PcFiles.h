#pragma once
// The PC files area and the File menu's four preset items: each starts the same operation of the
// preset file session.

#include "app/WindowAreas.h"
#include "sessions/PresetFileSession.h"

namespace lyra {

class PcFiles {
 public:
  static constexpr int kSaveActiveTimeoutMs = PresetFileSession::kSaveActiveTimeoutMs;

  PcFiles(WindowAreas& areas, PresetFileSession& session);

  void Button6Click() { session_.saveActive(); }  // "Save this preset to PC"
  void Button4Click() { session_.saveAll(); }     // "Save all presets to PC"
  void Button7Click() { session_.loadActive(); }  // "Load a preset from PC"
  void Button5Click() { session_.loadAll(); }     // "Load all presets from PC"

 private:
  PresetFileSession& session_;
};

}  // namespace lyra
