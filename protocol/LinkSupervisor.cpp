#include "protocol/LinkSupervisor.h"

#include "serial/DemoPort.h"
#include "serial/NetworkAddress.h"

namespace lyra {

LinkSupervisor::LinkSupervisor(TimerTable& timers, SerialLink& link, SendPump& pump,
                               const BusAddressing& address, PortList& portList)
    : timers_(timers), link_(link), pump_(pump), address_(address), portList_(portList) {
  timers_.Timer1.onTick = [this] { Timer1Timer(); };
  timers_.intimer.onTick = [this] { intimerTimer(); };
  timers_.brocar1.onTick = [this] { brocar1Timer(); };
  timers_.refurbish.onTick = [this] {
    portList_.refreshTick(link_.PortOpen() || link_.opening());
  };
  pump_.attach(*this);
}

void LinkSupervisor::begin() {
  linked_ = true;
  paused_ = false;
}

void LinkSupervisor::end() {
  linked_ = false;
  paused_ = false;
  timers_.Timer1.stop();
  timers_.intimer.stop();
  pump_.stop();
}

void LinkSupervisor::pause() {
  paused_ = true;
  timers_.Timer1.stop();
  pump_.pauseSends();
  timers_.intimer.stop();
}

void LinkSupervisor::startPollAndPump() {
  timers_.Timer1.start();
  pump_.resumeSends();
}

void LinkSupervisor::resume() {
  if (!linked_ || !link_.PortOpen()) return;
  paused_ = false;
  startPollAndPump();
}

void LinkSupervisor::resumeSendsOnly() {
  if (!linked_ || !link_.PortOpen()) return;
  paused_ = false;
  pump_.resumeSends();
}

void LinkSupervisor::heard() { timers_.intimer.stop(); }

void LinkSupervisor::holdForSend() {
  timers_.Timer1.stop();
  timers_.intimer.stop();
}

void LinkSupervisor::releaseAfterSend() {
  if (!linked_ || paused_) return;
  startPollAndPump();
}

void LinkSupervisor::holdPortCheck() { timers_.brocar1.stop(); }
void LinkSupervisor::releasePortCheck() { timers_.brocar1.start(); }
void LinkSupervisor::holdPortListRefresh() { timers_.refurbish.stop(); }
void LinkSupervisor::releasePortListRefresh() { timers_.refurbish.start(); }

void LinkSupervisor::Timer1Timer() {
  if (!link_.PortOpen()) return;
  link_.TransmitBuffer.clear();
  pump_.sendNow(statusPoll(address_.BusAddress), SendPump::ReceiveText::Clear);
  // Started by every poll, but a running watchdog keeps counting from the first poll that got
  // no answer.
  timers_.intimer.start();
}

void LinkSupervisor::intimerTimer() {
  timers_.intimer.stop();
  if (address_.isBroadcast()) return;  // nothing answers in BroadcastMode
  if (onInterrupted) onInterrupted();
}

void LinkSupervisor::brocar1Timer() {
  if (!link_.PortOpen()) return;
  const PortEntry* chosen = portList_.selectedEntry();
  // The demo bus lives in the program: it cannot be unplugged.
  if (chosen && isDemoPort(*chosen)) return;
  // A network port is not in the system's list: it is there while its connection is.
  if (chosen && isNetworkAddress(chosen->devicePath)) {
    if (link_.connectionLost() && onPortLost) onPortLost();
    return;
  }
  const auto ports = portList_.readSystemPorts();
  bool present = false;
  if (chosen && ports) {
    for (const PortEntry& p : *ports) present = present || p.name == chosen->name;
  }
  // A list that cannot be read counts as no ports at all.
  if (!present && onPortLost) onPortLost();
}

}  // namespace lyra
