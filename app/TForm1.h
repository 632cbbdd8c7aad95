#pragma once
// The window. It owns every subsystem object, every control and the timer table for the whole
// run; the objects reach each other through the references handed over here.

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
#include "app/PcFiles.h"
#include "app/TraceMenu.h"
#include "app/WindowAreas.h"
#include "editing/DelayPanel.h"
#include "editing/EditingState.h"
#include "editing/EditingWiring.h"
#include "editing/EqualizerPanel.h"
#include "editing/FilterPanel.h"
#include "editing/LevelPanel.h"
#include "graph/ResponseCurves.h"
#include "graph/ResponseGraph.h"
#include "preset/PresetImage.h"
#include "preset/ReplyParser.h"
#include "protocol/BusAddressing.h"
#include "protocol/SendPump.h"
#include "serial/PortList.h"
#include "serial/SerialLink.h"
#include "timing/Scheduler.h"
#include "timing/TimerTable.h"

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
  Scheduler& scheduler;
  TimerTable timers;
  PresetImage image;
  SerialLink link;
  BusAddressing address;
  SendPump pump;
  PortList portList;
  LinkSupervisor supervisor;
  WaitingFlags flags;
  PresetTransfer transfer;
  ReplyParser parser;
  EditingState editing;
  bool SearchCancel = false;  // set by Cancel and when the window closes

  QMainWindow window_;
  std::unique_ptr<Dialogs> ownDialogs_;
  Dialogs& dialogs;
  WindowAreas areas;
  NetworkEntryGuard networkEntryGuard{areas.RzComboBox1};
  EqualizerPanel equalizer;
  FilterPanel filters;
  LevelPanel levels;
  DelayPanel delays;
  std::unique_ptr<ResponseCurves> curves;  // 32 curves of 672 columns: kept off the stack
  ResponseGraph graph;
  ConnectSession connectSession;
  Connection connection;
  // Editing behaviour (equaliser, filters, levels, delays) is wired below this line.
  EditingWiring editingWiring{image, editing, {equalizer, filters, levels, delays}, graph, pump,
                              address,
                              {areas.RzGroupBox1, areas.waitProgress,
                               {areas.RzGroupBox8, areas.GroupBox2, areas.GroupBox3, areas.RzGroupBox12}},
                              connection.onConnectReset};
  // Device presets, PC files and group initial data below this line.
  TransferView transferView = makeTransferView();
  PresetExchange presetExchange{scheduler, timers,   link,  pump,    supervisor,  parser,
                                address,   flags,    transfer, image, dialogs, transferView};
  PresetSlotSession presetSlots{presetExchange};
  PresetFileSession presetFiles{presetExchange};
  GroupDataSession groupData{presetExchange};
  DevicePresets devicePresets{areas, presetExchange, presetSlots};
  PcFiles pcFiles{areas, presetFiles};
  GroupInitialData groupInitialData{areas, groupData, connection, dialogs};
  // Device search, DeviceId and BroadcastMode below this line.
  SearchSession searchSession{scheduler, timers, link,   portList,   pump,
                              supervisor, flags, parser, SearchCancel};
  DeviceIdSession deviceIdSession{scheduler, timers, link,  pump,   supervisor,
                                  address,   flags,  image, parser, dialogs};
  DeviceSearch search{areas, timers, link, searchSession, connection, dialogs, SearchCancel};
  DeviceIdentity identity{areas, link, address, deviceIdSession, dialogs};
  BroadcastSwitch broadcastSwitch{areas, link, address, dialogs};
  // The traffic trace below this line.
  TraceMenu trace{areas, link, scheduler, dialogs};
  // The measurement tools' formats: the graph's phase and the File menu's exchange below this line.
  GraphPhase graphPhase{areas.RzGroupBox8, graph, image, editing};
  EqExchange eqExchange{{areas, connection, link, image, editing, equalizer, editingWiring, dialogs}};

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
  TransferView makeTransferView();
  void startUp();
  void setKeyboardOrder();
  void wireReplies();
  void fillPortList();
  void Timer124Timer();
  void RzComboBox6Change();
};

}  // namespace lyra
