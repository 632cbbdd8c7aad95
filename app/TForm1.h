#pragma once
// The window. It holds the device sessions (DeviceSessions: the link, the timer table and every
// session) and owns every control and view for the whole run; the views reach the sessions
// through the references handed over here.

#include <QMainWindow>
#include <memory>
#include <vector>

#include "app/BroadcastSwitch.h"
#include "app/Connection.h"
#include "app/DeviceIdentity.h"
#include "app/DeviceSearch.h"
#include "protocol/Dialogs.h"
#include "app/DevicePresets.h"
#include "app/EqExchange.h"
#include "app/GraphPhase.h"
#include "app/GroupInitialData.h"
#include "app/NetworkPortEntry.h"
#include "app/OutcomeMessages.h"
#include "app/PcFiles.h"
#include "app/TraceMenu.h"
#include "app/WindowAreas.h"
#include "editing/DelayPanel.h"
#include "editing/EditingState.h"
#include "editing/EditingWiring.h"
#include "editing/EqualizerPanel.h"
#include "editing/FilterPanel.h"
#include "editing/LevelPanel.h"
#include "response/ResponseCurves.h"
#include "graph/ResponseGraph.h"
#include "sessions/DeviceSessions.h"
#include "timing/Scheduler.h"

namespace lyra {

class TForm1 {
 public:
  // The seams: the clock, the serial driver, the system's ports, and the dialogs (nullptr: the
  // window's own QMessageBox and QFileDialog).
  TForm1(Scheduler& scheduler, SerialDriver& driver, PortSource& ports, Dialogs* dialogs = nullptr);
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  QMainWindow& window() { return window_; }
  void show();

  // Everything the window holds, for the program's own wiring and for scenario tests.
  std::unique_ptr<Dialogs> ownDialogs_;  // keeps only a pointer to window_ until it is asked
  Dialogs& dialogs;
  // The sessions' outcomes, questions and file choices as the window's boxes, and their progress
  // in the wait box.
  WindowEvents events;
  // The link, the pump, the supervisor, the parser and every device session, made and wired to
  // each other there; the window adds only its views and editing below.
  DeviceSessions sessions;
  EditingState editing;

  QMainWindow window_;
  WindowAreas areas;
  NetworkEntryGuard networkEntryGuard{areas.RzComboBox1};
  EqualizerPanel equalizer;
  FilterPanel filters;
  LevelPanel levels;
  DelayPanel delays;
  std::unique_ptr<ResponseCurves> curves;  // 32 curves of 672 columns: kept off the stack
  ResponseGraph graph;
  Connection connection;
  // Editing behaviour (equaliser, filters, levels, delays) is wired below this line.
  EditingWiring editingWiring{sessions.image, editing, {equalizer, filters, levels, delays}, graph,
                              sessions.pump, sessions.address,
                              {areas.RzGroupBox1, areas.waitProgress,
                               {areas.RzGroupBox8, areas.GroupBox2, areas.GroupBox3, areas.RzGroupBox12}},
                              connection.onConnectReset};
  // Device presets, PC files and group initial data below this line.
  DevicePresets devicePresets{areas, sessions.presetExchange, sessions.presetSlots};
  PcFiles pcFiles{areas, sessions.presetFiles};
  GroupInitialData groupInitialData{areas, sessions.groupData, connection, dialogs};
  // Device search, DeviceId and BroadcastMode below this line.
  DeviceSearch search{areas,      sessions.timers,  sessions.link,           sessions.searchSession,
                      connection, dialogs,          sessions.searchCancelled};
  DeviceIdentity identity{areas, sessions.link, sessions.address, sessions.deviceIdSession, dialogs};
  BroadcastSwitch broadcastSwitch{areas, sessions.link, sessions.address, dialogs};
  // The traffic trace below this line.
  TraceMenu trace{areas, sessions.link, sessions.scheduler, dialogs};
  // The measurement tools' formats: the graph's phase and the File menu's exchange below this line.
  GraphPhase graphPhase{areas.RzGroupBox8, graph, sessions.image, editing};
  EqExchange eqExchange{{areas, connection, sessions.link, sessions.image, editing, equalizer,
                        editingWiring, dialogs}};

  // The Main EQ selection: the Main Way becomes the SelectedWay; the equaliser and filter panels
  // and the graph show it. Sends nothing.
  void RzButton4Click();
  // Every control that shows a preset value, after a block was decoded into the image.
  void showDecodedPreset();
  // The curves of all four Ways from the image, each band and both filters.
  void recomputeAllCurves();
  // Every control in the order Tab visits it.
  std::vector<QWidget*> keyboardOrder();

 private:
  // The wait box at (208, 232), the editing areas and the controls, for the preset sessions.
  void showTransfers();
  void startUp();
  void setKeyboardOrder();
  void wireReplies();
  void fillPortList();
  void RzComboBox6Change();
};

}  // namespace lyra
