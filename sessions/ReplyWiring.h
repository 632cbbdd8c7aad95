#pragma once
// The reply parser reads and routes replies; the link supervisor and the SendPump act on what it
// read. A parser made here has its link hooks answered by them, in the order the parser calls
// them on a read:
// - anything received ends the supervisor's watchdog wait (heard()), before any reply in it;
// - only blocks from the pump's BusAddress are the connected device's preset;
// - a block decoded into the image drops every parameter write that the controls' refresh
//   queued, before the owner waiting for the block (a slot load, the connect) is offered it.
// DeviceSessions makes its parser here, and so do the tests and the fuzzer that build the receive
// side alone.

#include "preset/PresetImage.h"
#include "protocol/LinkSupervisor.h"
#include "protocol/SendPump.h"
#include "reply/ReplyParser.h"
#include "serial/SerialLink.h"

namespace lyra {

ReplyParser WiredReplyParser(SerialLink& link, PresetImage& image, SendPump& pump,
                             LinkSupervisor& supervisor);

}  // namespace lyra
