#pragma once
// The address of a serial port on the network, as a device server offers it:
//   rfc2217://HOST:PORT   telnet with com port control: the program sets 9600 8N1 itself
//   tcp://HOST:PORT       raw bytes: the server's line settings as they are
// HOST is a name, an IPv4 address or an IPv6 address in brackets ("[::1]"); PORT is 1..65535.

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace lyra {

struct NetworkAddress {
  enum class Kind { Rfc2217, RawTcp };
  Kind kind = Kind::Rfc2217;
  std::string host;  // without the brackets of an IPv6 address
  int port = 0;
  bool operator==(const NetworkAddress&) const = default;
};

// Whether text starts with one of the network schemes (case ignored): such a path belongs to the
// network driver, well formed or not.
bool isNetworkAddress(std::string_view text);

// The address text names, or what is wrong with it, as a sentence for the user. A server that
// listens may take port 0: one the system picks.
std::variant<NetworkAddress, std::string> parseNetworkAddress(std::string_view text,
                                                              bool portZeroAllowed = false);

// The address written back in its usual form ("rfc2217://[::1]:2217").
std::string formatNetworkAddress(const NetworkAddress& address);

}  // namespace lyra
