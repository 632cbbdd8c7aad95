#include "app/DeviceSearch.h"

namespace lyra {

DeviceSearch::DeviceSearch(WindowAreas& areas, TimerTable& timers, SerialLink& link,
                           SearchSession& session, Connection& connection, Dialogs& dialogs,
                           bool& searchCancel)
    : a_(areas),
      timers_(timers),
      link_(link),
      session_(session),
      connection_(connection),
      dialogs_(dialogs),
      searchCancel_(searchCancel) {
  QObject::connect(a_.Button8, &QPushButton::clicked, [this] { ID1Click(); });
  QObject::connect(a_.Button9, &QPushButton::clicked, [this] { N14Click(); });
  QObject::connect(a_.RzButton11, &QPushButton::clicked, [this] { RzButton11Click(); });
  QObject::connect(a_.SpeedButton1, &QToolButton::clicked, [this] { RzButton11Click(); });
  QObject::connect(a_.Button2, &QPushButton::clicked, [this] { searchCancel_ = true; });
  timers_.Timer124.onTick = [this] {
    timers_.Timer124.stop();
    Timer124Timer();
  };
  timers_.tmr1.onTick = [this] { tmr1Timer(); };
}

void DeviceSearch::ID1Click() {
  if (running_) return;
  if (link_.PortOpen()) {
    dialogs_.message("please disconnect and try again.");
    return;
  }
  running_ = true;
  connection_.setEditingEnabled(false);
  search(SearchSession::kFullSearch);
  connection_.setEditingEnabled(true);
  running_ = false;
}

void DeviceSearch::Timer124Timer() {
  if (running_) return;
  running_ = true;
  search(SearchSession::kStartupSearch);
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

void DeviceSearch::tmr1Timer() {
  timers_.tmr1.stop();
  // A BroadcastMode connection made within these 3 s has put its initial-data box in place of
  // the editing pages; they stay hidden then.
  if (a_.initialDataBox->isHidden()) a_.RzGroupBox12->show();
  a_.searchResultBox->hide();
}

void DeviceSearch::search(const SearchSession::Plan& plan) {
  a_.searchProgress->setValue(0);
  a_.searchProgressBox->show();
  a_.searchProgressBox->raise();
  session_.run(plan, [this](int percent) { a_.searchProgress->setValue(percent); });
  // Every port searched is listed, whatever its number.
  showResults();
  session_.finish();
  a_.searchProgressBox->hide();
  a_.searchProgress->setValue(0);
  N14Click();
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

void DeviceSearch::showResults() {
  a_.searchResultLabel->setText("search result :none     ");
  a_.searchResultList->clear();
  a_.searchResultList->hide();
  const auto lines = session_.resultLines();
  if (lines.empty()) return;
  QStringList text;
  for (const std::string& line : lines) text << QString::fromStdString(line);
  a_.searchResultList->setPlainText(text.join('\n'));
  a_.searchResultLabel->setText("search result :     ");
  a_.searchResultList->show();
}

}  // namespace lyra
