#include "sessions/ConnectSession.h"

#include "protocol/CommandFrame.h"

namespace lyra {

ConnectSession::ConnectSession(Scheduler& scheduler, TimerTable& timers, SerialLink& link,
                               SendPump& pump, LinkSupervisor& supervisor, ReplyParser& parser,
                               const BusAddressing& address, WaitingFlags& flags,
                               SessionEvents& events)
    : scheduler_(scheduler),
      timers_(timers),
      link_(link),
      pump_(pump),
      supervisor_(supervisor),
      address_(address),
      flags_(flags),
      events_(events) {
  timers_.chcon.onTick = [this] {
    timers_.chcon.stop();
    timers_.chcon112.stop();
    timers_.chcon188.stop();
    fail(OutcomeKind::NoAnswer);
  };
  timers_.chcon112.onTick = [this] {
    timers_.chcon112.stop();
    timers_.chcon188.stop();
    fail(OutcomeKind::Overtime);
  };
  timers_.chcon188.onTick = [this] {
    timers_.chcon188.stop();
    fail(OutcomeKind::Overtime);
  };
  supervisor_.onInterrupted = [this] {
    fail(OutcomeKind::LinkInterrupted);
  };
  supervisor_.onPortLost = [this] { fail(OutcomeKind::PortLost); };
  routeReplies(parser);
}

void ConnectSession::routeReplies(ReplyParser& parser) {
  parser.route(Reply::AnyBytes, Owner::Connection, [this](ReceivedReply&) {
    timers_.chcon.stop();  // the device is there
    return false;
  });
  parser.route(Reply::ActivePreset, Owner::Connection, [this](ReceivedReply&) {
    if (!awaitingBlock_) return false;
    awaitingBlock_ = false;
    awaitingNames_ = true;
    timers_.chcon112.stop();
    link_.TransmitBuffer.clear();
    pump_.sendNow(readNameTable(address_.BusAddress), SendPump::ReceiveText::Clear);
    return true;
  });
  parser.route(Reply::NameTable, Owner::Connection, [this](ReceivedReply&) {
    timers_.chcon188.stop();
    // A load of all presets reads the names again and lands here too.
    pump_.queueSystemRecordRead();
    supervisor_.resume();
    if (awaitingNames_) {
      awaitingNames_ = false;
      if (onLinkUp) onLinkUp();
      events_.ended({Operation::Connect, OutcomeKind::Linked});
    }
    return true;
  });
}

void ConnectSession::fail(OutcomeKind kind) {
  if (onFailed) onFailed();
  events_.ended({Operation::Connect, kind});
}

OutcomeKind ConnectSession::openFailureKind(SerialError error) {
  switch (error) {
    case SerialError::PermissionDenied:
      return OutcomeKind::PortDenied;
    case SerialError::Busy:
      return OutcomeKind::PortBusy;
    case SerialError::NotFound:
    case SerialError::Vanished:
      return OutcomeKind::NoPort;
    case SerialError::NotASerialPort:
      return OutcomeKind::NotASerialPort;
    default:
      return OutcomeKind::PortFailed;
  }
}

ConnectSession::Started ConnectSession::start(const PortEntry* entry, int portNumber,
                                              const std::function<void()>& beforeQuestion) {
  if (entry) link_.PortNumber = portNumber;
  flags_.LoadSlotAwaited = 0;
  flags_.Searching = 0;
  if (link_.PortOpen()) {
    link_.closePort();
    scheduler_.waitPumping(100);
  }
  pump_.clearAllSlots();

  if (!entry || !link_.openPort(entry->devicePath)) {
    link_.PortNumber = 0;
    Outcome failed{Operation::Connect, OutcomeKind::NoPortChosen};
    if (entry) {
      failed.kind = openFailureKind(link_.lastError());
      failed.path = entry->devicePath;
      failed.systemText = link_.lastErrorText();
    }
    events_.ended(failed);
    return Started::NoPort;
  }
  link_.startReader();
  supervisor_.begin();

  if (address_.isBroadcast()) {
    if (beforeQuestion) beforeQuestion();
    const bool yes = events_.confirm(Question::SameOnAllDevices);
    // The question runs the event loop: a port check may have ended the link meanwhile, and
    // said so.
    if (!supervisor_.linked()) return Started::Lost;
    events_.ended({Operation::Connect, yes ? OutcomeKind::Linked : OutcomeKind::Cancelled});
    return yes ? Started::Broadcast : Started::BroadcastCancelled;
  }
  link_.ReceiveText.clear();
  link_.TransmitBuffer.clear();
  pump_.sendNow(readActivePreset(address_.BusAddress), SendPump::ReceiveText::Clear);
  awaitingBlock_ = true;
  timers_.chcon.start();
  timers_.chcon112.start();
  timers_.chcon188.start();
  return Started::Handshake;
}

void ConnectSession::end() {
  // From here nothing resumes the poll or the pump: a reply that comes in during the wait (a
  // preset block for a file, say) finds the link ended.
  supervisor_.end();
  // A handshake the user ended has no time-out left to report.
  timers_.chcon.stop();
  timers_.chcon112.stop();
  timers_.chcon188.stop();
  awaitingBlock_ = false;
  awaitingNames_ = false;
  link_.TransmitBuffer.clear();
  link_.PortNumber = -1;
  scheduler_.waitPumping(50);
  link_.closePort();
}

}  // namespace lyra
