#include "sessions/DeviceSessions.h"

namespace lyra {

DeviceSessions::DeviceSessions(Scheduler& s, SerialDriver& driver, PortSource& ports,
                               SessionEvents& e)
    : scheduler(s), timers(s), link(driver, s), portList(ports), events(e) {
  link.replyParser = [this] { parser.parseReplies(); };
  portList.refill();
}

DeviceSessions::~DeviceSessions() { stop(); }

void DeviceSessions::stop() {
  timers.stopAll();
  link.closePort();
}

}  // namespace lyra
