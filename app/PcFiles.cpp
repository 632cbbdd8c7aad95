#include "app/PcFiles.h"

namespace lyra {

PcFiles::PcFiles(WindowAreas& a, PresetFileSession& session) : session_(session) {
  QObject::connect(a.Button6, &QPushButton::clicked, [this] { Button6Click(); });
  QObject::connect(a.Button4, &QPushButton::clicked, [this] { Button4Click(); });
  QObject::connect(a.Button7, &QPushButton::clicked, [this] { Button7Click(); });
  QObject::connect(a.Button5, &QPushButton::clicked, [this] { Button5Click(); });
  QObject::connect(a.savePresetAction, &QAction::triggered, [this] { Button6Click(); });
  QObject::connect(a.saveAllAction, &QAction::triggered, [this] { Button4Click(); });
  QObject::connect(a.loadPresetAction, &QAction::triggered, [this] { Button7Click(); });
  QObject::connect(a.loadAllAction, &QAction::triggered, [this] { Button5Click(); });
}

}  // namespace lyra
