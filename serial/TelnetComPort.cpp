#include "serial/TelnetComPort.h"

namespace lyra {

using namespace telnet;

namespace {

// A sub-negotiation longer than this is no com port command; the rest of it is dropped.
constexpr std::size_t kMaxSubBytes = 64;
// The settings the client sends, each answered by the server.
constexpr std::uint8_t kSettingCommands[] = {kSetBaudRate, kSetDataSize, kSetParity, kSetStopSize,
                                             kSetControl};

void put(std::vector<std::uint8_t>& out, std::uint8_t verb, std::uint8_t option) {
  out.insert(out.end(), {kIac, verb, option});
}

void putSub(std::vector<std::uint8_t>& out, std::uint8_t command,
            std::span<const std::uint8_t> value) {
  out.insert(out.end(), {kIac, kSb, kComPort, command});
  TelnetComPort::escape(value, out);
  out.insert(out.end(), {kIac, kSe});
}

std::vector<std::uint8_t> bigEndian(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
          static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

}  // namespace

std::string describeComPortSetting(std::uint8_t command, std::uint32_t value) {
  const std::string n = std::to_string(value);
  switch (command) {
    case kSetBaudRate: return n + " baud";
    case kSetDataSize: return n + " data bits";
    case kSetParity: {
      static const char* const kNames[] = {"parity 0", "no parity", "odd parity", "even parity",
                                           "mark parity", "space parity"};
      return value < 6 ? kNames[value] : "parity " + n;
    }
    case kSetStopSize:
      return value == 1 ? "one stop bit" : value == 2 ? "two stop bits"
                                         : value == 3 ? "1.5 stop bits"
                                                      : "stop bits " + n;
    case kSetControl:
      return value == 1 ? "no flow control" : value == 2 ? "XON/XOFF flow control"
                                            : value == 3 ? "hardware flow control"
                                                         : "flow control " + n;
    default: return "setting " + std::to_string(command) + " = " + n;
  }
}

TelnetComPort::TelnetComPort(Role role, ComPortSettings settings)
    : role_(role),
      settings_(settings),
      state_(role == Role::Server ? State::Ready : State::Negotiating) {}

std::vector<std::uint8_t> TelnetComPort::start() {
  std::vector<std::uint8_t> out;
  if (role_ != Role::Client) return out;
  put(out, kWill, kBinary);
  binary_.ours.asked = true;
  put(out, kDo, kBinary);
  binary_.theirs.asked = true;
  put(out, kWill, kComPort);
  comPort_.ours.asked = true;
  return out;
}

void TelnetComPort::escape(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out) {
  for (std::uint8_t b : data) {
    out.push_back(b);
    if (b == kIac) out.push_back(kIac);
  }
}

void TelnetComPort::received(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& data,
                             std::vector<std::uint8_t>& replies) {
  auto deliver = [&](std::uint8_t b) {
    if (state_ == State::Ready)
      data.push_back(b);
    else
      ++dropped_;
  };
  for (std::uint8_t b : bytes) {
    switch (parse_) {
      case Parse::Data:
        if (b == kIac)
          parse_ = Parse::Iac;
        else
          deliver(b);
        break;
      case Parse::Iac:
        parse_ = Parse::Data;
        if (b == kIac) {
          deliver(b);
        } else if (b == kWill || b == kWont || b == kDo || b == kDont) {
          verb_ = b;
          parse_ = Parse::Option;
        } else if (b == kSb) {
          sub_.clear();
          parse_ = Parse::Sub;
        }
        // Other commands (NOP, GA, AYT, a stray SE) carry nothing for the line.
        break;
      case Parse::Option:
        parse_ = Parse::Data;
        command(verb_, b, replies);
        break;
      case Parse::Sub:
        if (b == kIac)
          parse_ = Parse::SubIac;
        else if (sub_.size() < kMaxSubBytes)
          sub_.push_back(b);
        break;
      case Parse::SubIac:
        if (b == kIac) {
          if (sub_.size() < kMaxSubBytes) sub_.push_back(b);
          parse_ = Parse::Sub;
          break;
        }
        subnegotiation(replies);
        parse_ = Parse::Data;
        // IAC and anything but SE ends the sub-negotiation and is a command of its own.
        if (b != kSe) {
          parse_ = Parse::Iac;
          const std::uint8_t again[] = {b};
          received(again, data, replies);
        }
        break;
    }
  }
}

void TelnetComPort::closed() {
  parse_ = Parse::Data;
  sub_.clear();
  if (state_ == State::Negotiating) state_ = State::Closed;
}

bool TelnetComPort::wantOurs(std::uint8_t code) const {
  return code == kBinary || (code == kComPort && role_ == Role::Client);
}

bool TelnetComPort::wantTheirs(std::uint8_t code) const {
  return code == kBinary || (code == kComPort && role_ == Role::Server);
}

TelnetComPort::Option& TelnetComPort::option(std::uint8_t code) {
  if (code == kBinary) return binary_;
  if (code == kComPort) return comPort_;
  other_ = Option{};
  return other_;
}

void TelnetComPort::command(std::uint8_t verb, std::uint8_t code,
                            std::vector<std::uint8_t>& replies) {
  Option& o = option(code);
  const bool theirSide = verb == kWill || verb == kWont;
  Side& side = theirSide ? o.theirs : o.ours;
  const bool wanted = theirSide ? wantTheirs(code) : wantOurs(code);
  const std::uint8_t yes = theirSide ? kDo : kWill;
  const std::uint8_t no = theirSide ? kDont : kWont;
  if (verb == kWill || verb == kDo) {
    if (!wanted) {
      put(replies, no, code);  // refused; the other end does not ask again unless we agree
      return;
    }
    if (!side.enabled) {
      side.enabled = true;
      if (side.asked)
        side.asked = false;  // the answer to our request
      else
        put(replies, yes, code);
    }
    if (role_ == Role::Client && code == kComPort && !theirSide) sendSettings(replies);
  } else {
    if (side.asked) {
      side.asked = false;
      side.enabled = false;
      if (role_ == Role::Client && code == kBinary)
        refuse("the server refused binary transmission");
      else if (role_ == Role::Client && code == kComPort)
        refuse("the server offers no com port control (RFC 2217)");
    } else if (side.enabled) {
      side.enabled = false;
      put(replies, no, code);  // acknowledged
    }
  }
  checkReady();
}

void TelnetComPort::sendSettings(std::vector<std::uint8_t>& replies) {
  if (settingsSent_) return;
  settingsSent_ = true;
  putSub(replies, kSetBaudRate, bigEndian(settings_.baudRate));
  const std::uint8_t dataBits[] = {settings_.dataBits};
  putSub(replies, kSetDataSize, dataBits);
  const std::uint8_t parity[] = {settings_.parity};
  putSub(replies, kSetParity, parity);
  const std::uint8_t stopBits[] = {settings_.stopBits};
  putSub(replies, kSetStopSize, stopBits);
  const std::uint8_t flow[] = {settings_.flowControl};
  putSub(replies, kSetControl, flow);
}

void TelnetComPort::subnegotiation(std::vector<std::uint8_t>& replies) {
  if (sub_.size() < 2 || sub_[0] != kComPort) return;  // another option's: nothing for us
  const std::span<const std::uint8_t> value(sub_.data() + 2, sub_.size() - 2);
  if (role_ == Role::Client)
    clientAnswer(sub_[1], value);
  else
    serverRequest(sub_[1], value, replies);
}

void TelnetComPort::clientAnswer(std::uint8_t command, std::span<const std::uint8_t> value) {
  if (command < kServerOffset || !settingsSent_) return;
  const std::uint8_t setting = command - kServerOffset;
  std::uint32_t got = 0;
  std::uint32_t want = 0;
  switch (setting) {
    case kSetBaudRate:
      if (value.size() != 4) return;
      got = std::uint32_t{value[0]} << 24 | std::uint32_t{value[1]} << 16 |
            std::uint32_t{value[2]} << 8 | value[3];
      answered_.baudRate = got;
      want = settings_.baudRate;
      break;
    case kSetDataSize:
    case kSetParity:
    case kSetStopSize:
    case kSetControl: {
      if (value.size() != 1) return;
      got = value[0];
      std::uint8_t& seen = setting == kSetDataSize ? answered_.dataBits
                           : setting == kSetParity ? answered_.parity
                           : setting == kSetStopSize ? answered_.stopBits
                                                     : answered_.flowControl;
      seen = value[0];
      want = setting == kSetDataSize ? settings_.dataBits
             : setting == kSetParity ? settings_.parity
             : setting == kSetStopSize ? settings_.stopBits
                                       : settings_.flowControl;
      // The control command also answers break, DTR and RTS requests; only a flow control
      // answer (1..3) speaks of the setting.
      if (setting == kSetControl && (got < 1 || got > 3)) return;
      break;
    }
    default: return;  // the signature, line-state and modem-state notifications, purge answers
  }
  answers_ |= 1u << setting;
  if (got != want) {
    refuse("the server set " + describeComPortSetting(setting, got) + " instead of " +
           describeComPortSetting(setting, want));
  }
  checkReady();
}

void TelnetComPort::serverRequest(std::uint8_t command, std::span<const std::uint8_t> value,
                                  std::vector<std::uint8_t>& replies) {
  const std::uint8_t answer = command + kServerOffset;
  switch (command) {
    case kSignature: {
      static constexpr std::uint8_t kName[] = {'l', 'y', 'r', 'a', 'p', 'h', 'o', 'n', 'e',
                                               '-', 's', 'i', 'm'};
      putSub(replies, answer, kName);
      return;
    }
    case kSetBaudRate: putSub(replies, answer, bigEndian(settings_.baudRate)); return;
    case kSetDataSize:
    case kSetParity:
    case kSetStopSize: {
      // The port's line is what it is: every request is answered with the setting it has.
      const std::uint8_t has[] = {command == kSetDataSize ? settings_.dataBits
                                  : command == kSetParity ? settings_.parity
                                                          : settings_.stopBits};
      putSub(replies, answer, has);
      return;
    }
    case kSetControl: {
      if (value.size() != 1) return;
      const std::uint8_t has[] = {value[0] <= 3 ? settings_.flowControl : value[0]};
      putSub(replies, answer, has);
      return;
    }
    case kFlowControlSuspend:
    case kFlowControlResume: putSub(replies, answer, {}); return;
    case kSetLineStateMask:
    case kSetModemStateMask:
    case kPurgeData: putSub(replies, answer, value); return;
    default: return;
  }
}

void TelnetComPort::refuse(const std::string& why) {
  if (state_ != State::Negotiating) return;
  state_ = State::Refused;
  refusal_ = why;
}

void TelnetComPort::checkReady() {
  if (state_ != State::Negotiating || role_ != Role::Client) return;
  bool answered = true;
  for (std::uint8_t c : kSettingCommands) answered = answered && (answers_ & (1u << c));
  if (binary_.ours.enabled && binary_.theirs.enabled && comPort_.ours.enabled && answered)
    state_ = State::Ready;
}

}  // namespace lyra
