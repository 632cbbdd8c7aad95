#include "sessions/ReplyWiring.h"

namespace lyra {

ReplyParser WiredReplyParser(SerialLink& link, PresetImage& image, SendPump& pump,
                             LinkSupervisor& supervisor) {
  ReplyParser parser{link, image};
  parser.linkHooks.heard = [&supervisor] { supervisor.heard(); };
  parser.linkHooks.connectedBusAddress = [&pump] { return pump.address().BusAddress; };
  parser.linkHooks.imageReplaced = [&pump] { pump.clearAllSlots(); };
  return parser;
}

}  // namespace lyra
