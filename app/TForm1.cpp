#include "app/TForm1.h"

#include <QApplication>

#include "app/NetworkPortEntry.h"
#include "app/QtDialogs.h"
#include "app/WindowFit.h"

namespace lyra {

namespace {
constexpr int kMainWay = 3;
constexpr int kWaitBoxLeft = 208;
constexpr int kWaitBoxTop = 232;
}  // namespace

TForm1::TForm1(Scheduler& s, SerialDriver& driver, PortSource& ports, Dialogs* d)
    : ownDialogs_(d ? nullptr : std::make_unique<QtDialogs>(&window_)),
      dialogs(d ? *d : *ownDialogs_),
      events(dialogs),
      sessions(s, driver, ports, events),
      areas(layOutWindow(window_)),
      equalizer(areas.RzGroupBox12, sessions.image),
      filters(areas.RzGroupBox12, sessions.image),
      levels(areas.RzGroupBox12, sessions.image, editing),
      delays(areas.RzGroupBox12, sessions.image, editing),
      curves(std::make_unique<ResponseCurves>()),
      graph(areas.RzGroupBox8, sessions.image, *curves, editing.SelectedWay),
      connection(areas, sessions.timers, sessions.link, sessions.portList, sessions.connectSession) {
  startUp();
}

TForm1::~TForm1() {
  // The views and the hooks they gave the sessions die before the sessions do.
  sessions.stop();
}

void TForm1::startUp() {
  window_.setWindowTitle("LYRAPHONE");
  // 1. Until the start-up search ends, only its progress box shows.
  for (QWidget* w : {static_cast<QWidget*>(areas.RzGroupBox8), static_cast<QWidget*>(areas.RzGroupBox12),
                     static_cast<QWidget*>(areas.GroupBox2), static_cast<QWidget*>(areas.GroupBox3)}) {
    w->hide();
  }
  areas.fileMenu->menuAction()->setVisible(false);
  areas.helpMenu->menuAction()->setVisible(false);
  areas.searchProgress->setValue(0);
  areas.searchProgressBox->show();
  // 3. DeviceId 1, BusAddress 0, no BroadcastMode; 4. the image holds its start-up values.
  sessions.address = BusAddressing{};
  // 7. The window keeps the design's size; on a smaller screen showFitted fits it (WindowFit.h).
  keepDesignSize(window_);
  // 4, 5. The graph's markers and grid are made with it; its curves follow the start-up image.
  // The rows' Bypass state, and a dragged marker, are the equaliser's.
  graph.bypassed = [this](int row) { return editing.bypassed(row); };
  graph.onBandChanged = [this](BandSlot slot) { editingWiring.equalizer.bandDragged(slot); };
  recomputeAllCurves();
  // 8. The panels show the Main Way.
  RzButton4Click();
  // 9. The system's serial ports, the last one selected: the sessions read them as they were made.
  sessions.portList.onRefilled = [this] { fillPortList(); };
  fillPortList();

  showTransfers();
  wireReplies();
  QObject::connect(areas.RzComboBox1, &QComboBox::currentIndexChanged, [this](int i) {
    // The last item asks for a port on the network; cancelled, the list shows its choice again.
    const int ports = static_cast<int>(sessions.portList.entries().size());
    if (i == ports) {
      if (networkEntryGuard.movingInClosedList()) {
        sessions.portList.select(ports - 1);
        fillPortList();
      } else if (!askNetworkPort(dialogs, sessions.portList)) {
        fillPortList();
      }
      return;
    }
    sessions.portList.select(i);
  });
  QObject::connect(areas.RzComboBox6, &QComboBox::currentIndexChanged,
                   [this] { RzComboBox6Change(); });
  QObject::connect(areas.exitAction, &QAction::triggered, [this] { window_.close(); });
  QObject::connect(qApp, &QGuiApplication::lastWindowClosed, &window_,
                   [this] { sessions.searchCancelled = true; });
  setKeyboardOrder();
  sessions.timers.startEnabledAtStart();
}

void TForm1::showTransfers() {
  events.onProgress = [this](const Progress& p) {
    switch (p.step) {
      case Progress::Step::Shown:
        areas.RzGroupBox1->move(kWaitBoxLeft, kWaitBoxTop);
        areas.waitProgress->setValue(p.percent);
        areas.RzGroupBox1->show();
        areas.RzGroupBox1->raise();
        return;
      case Progress::Step::Moved:
        areas.waitProgress->setValue(p.percent);
        return;
      case Progress::Step::Hidden:
        areas.RzGroupBox1->hide();
        return;
    }
  };
  TransferView& v = sessions.transferView;
  v.setEditingEnabled = [this](bool enabled) { connection.setEditingEnabled(enabled); };
  v.showInitialDataBox = [this](bool shown) {
    areas.initialDataBox->setVisible(shown);
    areas.RzGroupBox12->setVisible(!shown);
  };
  v.showDecodedPreset = [this] { showDecodedPreset(); };
}

void TForm1::show() { showFitted(window_); }

void TForm1::fillPortList() {
  QComboBox* list = areas.RzComboBox1;
  list->blockSignals(true);
  list->clear();
  for (const PortEntry& e : sessions.portList.entries()) list->addItem(QString::fromStdString(e.name));
  list->addItem(kNetworkPortItem);
  list->setCurrentIndex(sessions.portList.selectedIndex());
  list->blockSignals(false);
  areas.noPortHint->setVisible(!sessions.portList.hasSystemPort());
}

void TForm1::RzButton4Click() {
  editing.SelectedWay = kMainWay;
  equalizer.fill(Way::Main);
  filters.fill(Way::Main);
  graph.ShowWay(kMainWay);
}

void TForm1::recomputeAllCurves() {
  for (int way = 0; way < kWayCount; ++way) {
    editing.SelectedWay = way;
    for (int row = 0; row < kBandsPerWay; ++row) {
      const BandSlot slot = ToBandSlot(static_cast<Way>(way), row);
      graph.CurrentBandSlot = slot;
      graph.RedrawBand(slot, sessions.image.band(slot).type);
    }
    const WaySettings& w = sessions.image.way(static_cast<Way>(way));
    graph.RedrawFilter(way, FilterEdge::HighPass, w.hpfType);
    graph.RedrawFilter(way, FilterEdge::LowPass, w.lpfType);
  }
}

void TForm1::showDecodedPreset() {
  editingWiring.equalizer.clearBypass();
  levels.showFromImage();
  delays.showSatelliteFromImage();
  equalizer.showBassEnhancer(sessions.image.main.bassEnhancer);
  recomputeAllCurves();
  RzButton4Click();
  delays.RzButton5Click();
  // The lists stay fixed for as long as the connection lasts.
  areas.RzComboBox6->setEnabled(false);
  areas.RzComboBox1->setEnabled(false);
}

void TForm1::wireReplies() {
  auto& h = sessions.parser.hooks;
  h.status = [this](const StatusRecord& status) {
    areas.statusPanel2->setText(QString::fromStdString(ReplyParser::statusTextFor(status)));
  };
  h.lastLoadedPreset = [this](const std::string& t) {
    areas.RzLabel14->setText(QString::fromStdString(t));
  };
  h.temperatureLimit = [this](int index) { areas.temperatureList->setCurrentIndex(index); };
  h.presetDecoded = [this] { showDecodedPreset(); };
  h.namesArrived = [this] { devicePresets.showNames(); };
}

void TForm1::RzComboBox6Change() {
  const int position = areas.RzComboBox6->currentIndex();
  if (position < 0) return;
  BusAddressing& address = sessions.address;
  address.DeviceId = position + 1;
  if (!address.BroadcastMode) address.BusAddress = BusAddressing::busAddressOf(address.DeviceId);
  areas.RzEdit2->setText(QString::number(address.DeviceId));
}

}  // namespace lyra
