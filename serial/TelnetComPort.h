#pragma once
// Telnet with the com port control option (RFC 854, RFC 2217), both ends, without sockets: bytes
// from the connection go in, the data bytes among them and the replies to send come out; data to
// send goes in and comes out escaped. The network driver runs the client's end against a device
// server; lyraphone-sim --listen runs the server's end.
//
// The client asks for BINARY both ways and for COM-PORT-OPTION (44), sets the line it wants once
// the server has agreed to com port control, and is Ready when every setting has been answered
// with the value it asked for. Options it does not know are refused (DONT / WONT, once per
// request, so two ends never loop); modem-state and line-state notifications are taken and
// ignored. Data bytes that arrive before Ready (a server's banner) are no device's and are
// dropped. Every 0xFF data byte travels as FF FF.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lyra {

namespace telnet {
inline constexpr std::uint8_t kIac = 255;
inline constexpr std::uint8_t kDont = 254;
inline constexpr std::uint8_t kDo = 253;
inline constexpr std::uint8_t kWont = 252;
inline constexpr std::uint8_t kWill = 251;
inline constexpr std::uint8_t kSb = 250;
inline constexpr std::uint8_t kSe = 240;
inline constexpr std::uint8_t kBinary = 0;
inline constexpr std::uint8_t kComPort = 44;
// Com port control commands as the client sends them; the server answers with the same + 100.
inline constexpr std::uint8_t kSignature = 0;
inline constexpr std::uint8_t kSetBaudRate = 1;
inline constexpr std::uint8_t kSetDataSize = 2;
inline constexpr std::uint8_t kSetParity = 3;
inline constexpr std::uint8_t kSetStopSize = 4;
inline constexpr std::uint8_t kSetControl = 5;
inline constexpr std::uint8_t kNotifyLineState = 6;
inline constexpr std::uint8_t kNotifyModemState = 7;
inline constexpr std::uint8_t kFlowControlSuspend = 8;
inline constexpr std::uint8_t kFlowControlResume = 9;
inline constexpr std::uint8_t kSetLineStateMask = 10;
inline constexpr std::uint8_t kSetModemStateMask = 11;
inline constexpr std::uint8_t kPurgeData = 12;
inline constexpr std::uint8_t kServerOffset = 100;
// Values of the settings.
inline constexpr std::uint8_t kParityNone = 1;
inline constexpr std::uint8_t kStopBitsOne = 1;
inline constexpr std::uint8_t kNoFlowControl = 1;
}  // namespace telnet

// The line a client asks for, or the line a server's port has.
struct ComPortSettings {
  std::uint32_t baudRate = 9600;
  std::uint8_t dataBits = 8;
  std::uint8_t parity = telnet::kParityNone;
  std::uint8_t stopBits = telnet::kStopBitsOne;
  std::uint8_t flowControl = telnet::kNoFlowControl;
  bool operator==(const ComPortSettings&) const = default;
};

class TelnetComPort {
 public:
  enum class Role { Client, Server };
  enum class State {
    Negotiating,  // the client waits for the server's answers
    Ready,        // the line is set (a server is Ready from the start)
    Refused,      // the server refused an option or answered another setting: refusal() says which
    Closed,       // the connection ended before the client was Ready
  };

  // settings: what a client asks for, or what a server's port has.
  explicit TelnetComPort(Role role, ComPortSettings settings = {});

  // What the client sends first: WILL BINARY, DO BINARY, WILL COM-PORT-OPTION. Nothing for a
  // server, which answers what it is asked.
  std::vector<std::uint8_t> start();
  // Bytes from the connection: data bytes are appended to data, what must be sent back to replies.
  void received(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& data,
                std::vector<std::uint8_t>& replies);
  // The other end closed the connection; a command cut short by it is dropped.
  void closed();

  // Data to send, with each 0xFF doubled.
  static void escape(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out);

  State state() const { return state_; }
  const std::string& refusal() const { return refusal_; }
  // What the server answered so far (the client's view of the line).
  const ComPortSettings& answered() const { return answered_; }
  // Data bytes dropped before Ready (a banner).
  std::size_t droppedBytes() const { return dropped_; }

 private:
  enum class Parse { Data, Iac, Option, Sub, SubIac };
  // One option on one side: whether it is on, and whether we asked and wait for the answer.
  struct Side {
    bool enabled = false;
    bool asked = false;
  };
  struct Option {
    Side ours;    // we perform it (WILL / WONT from us)
    Side theirs;  // the other end performs it (DO / DONT from us)
  };

  bool wantOurs(std::uint8_t option) const;
  bool wantTheirs(std::uint8_t option) const;
  Option& option(std::uint8_t code);
  void command(std::uint8_t verb, std::uint8_t code, std::vector<std::uint8_t>& replies);
  void subnegotiation(std::vector<std::uint8_t>& replies);
  void clientAnswer(std::uint8_t command, std::span<const std::uint8_t> value);
  void serverRequest(std::uint8_t command, std::span<const std::uint8_t> value,
                     std::vector<std::uint8_t>& replies);
  void sendSettings(std::vector<std::uint8_t>& replies);
  void refuse(const std::string& why);
  void checkReady();

  Role role_;
  ComPortSettings settings_;
  ComPortSettings answered_;
  State state_;
  std::string refusal_;
  Parse parse_ = Parse::Data;
  std::uint8_t verb_ = 0;
  std::vector<std::uint8_t> sub_;
  Option binary_;
  Option comPort_;
  Option other_;  // scratch for options we never enable
  bool settingsSent_ = false;
  unsigned answers_ = 0;  // bit n: the answer to command n has come
  std::size_t dropped_ = 0;
};

// A setting's value as a sentence: "19200 baud", "7 data bits".
std::string describeComPortSetting(std::uint8_t command, std::uint32_t value);

}  // namespace lyra
