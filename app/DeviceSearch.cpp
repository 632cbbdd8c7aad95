#include "app/DeviceSearch.h"

#include <exception>

#include "protocol/CommandFrame.h"

namespace lyra {

namespace {

// Runs one step of the link that may fail by throwing (a reader thread that cannot be made, say).
template <typename Step>
bool attempt(Step step) {
  try {
    step();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool namedCom(const std::string& name) {
  return name.size() > 3 && (name[0] == 'C' || name[0] == 'c') &&
         (name[1] == 'O' || name[1] == 'o') && (name[2] == 'M' || name[2] == 'm') &&
         comPortNumber(name).has_value();
}

}  // namespace

DeviceSearch::DeviceSearch(WindowAreas& areas, Scheduler& scheduler, TimerTable& timers,
                           SerialLink& link, PortList& portList, SendPump& pump,
                           LinkSupervisor& supervisor, WaitingFlags& flags, ReplyParser& parser,
                           Connection& connection, Dialogs& dialogs, bool& searchCancel)
    : a_(areas),
      scheduler_(scheduler),
      timers_(timers),
      link_(link),
      portList_(portList),
      pump_(pump),
      supervisor_(supervisor),
      flags_(flags),
      connection_(connection),
      dialogs_(dialogs),
      searchCancel_(searchCancel) {
  parser.route(Reply::Status, Owner::Search, [this](ReceivedReply&) {
    if (flags_.Searching != 1) return false;
    hits_.record(link_.PortNumber, probedAddress_);
    return true;
  });
  QObject::connect(a_.Button8, &QPushButton::clicked, [this] { ID1Click(); });
  QObject::connect(a_.Button9, &QPushButton::clicked, [this] { N14Click(); });
  QObject::connect(a_.RzButton11, &QPushButton::clicked, [this] { RzButton11Click(); });
  QObject::connect(a_.SpeedButton1, &QToolButton::clicked, [this] { RzButton11Click(); });
  QObject::connect(a_.Button2, &QPushButton::clicked, [this] { searchCancel_ = true; });
}

void DeviceSearch::ID1Click() {
  if (running_) return;
  if (link_.PortOpen()) {
    dialogs_.message("please disconnect and try again.");
    return;
  }
  running_ = true;
  connection_.setEditingEnabled(false);
  probeAllPorts({kFullAddresses, kFullProbeWaitMs, true});
  showResults();
  finish();
  connection_.setEditingEnabled(true);
  running_ = false;
}

void DeviceSearch::Timer124Timer() {
  if (running_) return;
  running_ = true;
  probeAllPorts({kStartupAddresses, kStartupProbeWaitMs, false});
  // Every port searched is listed, whatever its number.
  showResults();
  finish();
  for (QWidget* w : {static_cast<QWidget*>(a_.RzGroupBox8), static_cast<QWidget*>(a_.GroupBox2),
                     static_cast<QWidget*>(a_.GroupBox3)}) {
    w->show();
  }
  a_.fileMenu->menuAction()->setVisible(true);
  a_.helpMenu->menuAction()->setVisible(true);
  a_.Image20->show();
  // The result shows for 3 s, then the editing pages come back.
  timers_.tmr1.start();
  running_ = false;
}

void DeviceSearch::N14Click() {
  a_.searchResultBox->show();
  a_.searchResultBox->raise();
  a_.RzGroupBox12->hide();
}

void DeviceSearch::RzButton11Click() {
  a_.searchResultBox->hide();
  a_.RzGroupBox12->show();
}

void DeviceSearch::probeAllPorts(const Plan& plan) {
  searchCancel_ = false;
  a_.searchProgress->setValue(0);
  a_.searchProgressBox->show();
  a_.searchProgressBox->raise();
  flags_.Searching = 1;
  hits_.clear();
  // The port list must not change under the loop, and the port check is for a connection: a
  // searched port that vanishes only ends that port's probes.
  timers_.refurbish.stop();
  supervisor_.holdPortCheck();
  entries_ = portList_.entries();
  numbers_ = portList_.portNumbers();

  const int portCount = static_cast<int>(entries_.size());
  int k = 0;
  for (std::size_t i = entries_.size(); i-- > 0;) {
    ++k;
    scheduler_.processEvents();
    if (searchCancel_) break;
    if (!probePort(plan, i, k, portCount)) break;
  }
}

bool DeviceSearch::probePort(const Plan& plan, std::size_t entry, int k, int portCount) {
  link_.PortNumber = numbers_[entry];
  probedAddress_ = -1;  // nothing heard on this port counts until its first probe
  if (link_.PortOpen()) {
    if (!attempt([this] { link_.closePort(); }) && plan.errorsEndSearch) return false;
    scheduler_.waitPumping(kReopenWaitMs);
  }
  bool opened = false;
  if (!attempt([&] { opened = link_.openPort(entries_[entry].devicePath); })) {
    if (plan.errorsEndSearch) return false;
  }
  if (!opened) return true;  // a port that cannot be opened is skipped
  if (!attempt([this] { link_.startReader(); }) && plan.errorsEndSearch) return false;

  for (int address = 0; address < plan.addresses; ++address) {
    scheduler_.processEvents();
    if (searchCancel_) return false;
    scheduler_.waitPumping(plan.probeWaitMs);
    // Cancel pressed during the wait: no probe after it.
    if (searchCancel_) return false;
    link_.TransmitBuffer.clear();
    pump_.sendNow(statusPoll(static_cast<std::uint8_t>(address)), SendPump::ReceiveText::Clear);
    probedAddress_ = address;
    a_.searchProgress->setValue(searchProgressPercent(k, address, portCount, plan.addresses));
    // A probe that could not be written: this port is gone, the next one may not be.
    if (link_.isDead()) return true;
  }
  // The last probe's reply is on its way: give it the same time as every other probe's before
  // the port is closed, or the highest address of every port (0xFF in the full search, DeviceId
  // 10 at start-up) could never be found.
  scheduler_.waitPumping(plan.probeWaitMs);
  return true;
}

void DeviceSearch::showResults() {
  a_.searchResultLabel->setText("search result :none     ");
  a_.searchResultList->clear();
  a_.searchResultList->hide();
  link_.PortNumber = -1;
  const auto lines = hits_.resultLines([this](int n) { return portName(n); });
  if (lines.empty()) return;
  QStringList text;
  for (const std::string& line : lines) text << QString::fromStdString(line);
  a_.searchResultList->setPlainText(text.join('\n'));
  a_.searchResultLabel->setText("search result :     ");
  a_.searchResultList->show();
}

void DeviceSearch::finish() {
  if (link_.PortOpen()) link_.closePort();
  link_.PortNumber = -1;
  a_.searchProgressBox->hide();
  a_.searchProgress->setValue(0);
  flags_.Searching = 0;
  probedAddress_ = -1;
  N14Click();
  timers_.refurbish.start();
  supervisor_.releasePortCheck();
}

std::string DeviceSearch::portName(int portNumber) const {
  for (std::size_t i = 0; i < numbers_.size() && i < entries_.size(); ++i) {
    if (numbers_[i] != portNumber) continue;
    if (!namedCom(entries_[i].name)) return entries_[i].name;
    break;
  }
  return "COM" + std::to_string(portNumber);
}

}  // namespace lyra
