#include "sessions/ConnectSession.h"

#include "protocol/CommandFrame.h"

namespace lyra {

ConnectSession::ConnectSession(Scheduler& scheduler, TimerTable& timers, SerialLink& link,
                               SendPump& pump, LinkSupervisor& supervisor, ReplyParser& parser,
                               const BusAddressing& address, WaitingFlags& flags,
                               Dialogs& dialogs)
    : scheduler_(scheduler),
      timers_(timers),
      link_(link),
      pump_(pump),
      supervisor_(supervisor),
      address_(address),
      flags_(flags),
      dialogs_(dialogs) {
  timers_.chcon.onTick = [this] {
    timers_.chcon.stop();
    timers_.chcon112.stop();
    timers_.chcon188.stop();
    fail("UNABLE TO CONNECT TO DEVICE!\rPlease make sure the device ID is correct.");
  };
  timers_.chcon112.onTick = [this] {
    timers_.chcon112.stop();
    timers_.chcon188.stop();
    fail("overtime,please try again.");
  };
  timers_.chcon188.onTick = [this] {
    timers_.chcon188.stop();
    fail("overtime,please try again.");
  };
  supervisor_.onInterrupted = [this] {
    fail("CONNECTION INTERRUPTED!\rPlease check data cables and reconnect.");
  };
  supervisor_.onPortLost = [this] { fail("No port.", "The port has left the system."); };
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
    }
    return true;
  });
}

void ConnectSession::fail(const std::string& message, const std::string& detail) {
  if (onFailed) onFailed(message, detail);
}

std::string ConnectSession::openFailureDetail(SerialError error, const std::string& systemText) {
  switch (error) {
    case SerialError::PermissionDenied:
      return "Permission denied. On Linux the user must be in the dialout group "
             "(sudo usermod -aG dialout $USER) and log in again.";
    case SerialError::Busy:
      return "The port is in use by another program.";
    case SerialError::NotFound:
    case SerialError::Vanished:
      return "The port does not exist.";
    case SerialError::NotASerialPort:
      return "This is not a serial port.\n(" + systemText + ")";
    default:
      return systemText;
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
    dialogs_.message("No port.", entry ? openFailureDetail(link_.lastError(), link_.lastErrorText())
                                       : "There is no serial port.");
    return Started::NoPort;
  }
  link_.startReader();
  supervisor_.begin();

  if (address_.isBroadcast()) {
    if (beforeQuestion) beforeQuestion();
    const auto answer = dialogs_.question(
        "Please make sure you have select\r\nthe same preset on all devices",
        Dialogs::Buttons::YesCancel);
    // The question runs the event loop: a port check may have ended the link meanwhile, and
    // said so.
    if (!supervisor_.linked()) return Started::Lost;
    return answer == Dialogs::Answer::Yes ? Started::Broadcast : Started::BroadcastCancelled;
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
