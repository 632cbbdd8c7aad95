#include "serial/NetworkAddress.h"

#include <algorithm>
#include <cctype>

namespace lyra {

namespace {

constexpr std::string_view kRfc2217Scheme = "rfc2217://";
constexpr std::string_view kTcpScheme = "tcp://";
constexpr std::string_view kForm = " (the form is rfc2217://HOST:PORT or tcp://HOST:PORT)";

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

bool hostCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

}  // namespace

bool isNetworkAddress(std::string_view text) {
  return startsWithIgnoringCase(text, kRfc2217Scheme) || startsWithIgnoringCase(text, kTcpScheme);
}

std::variant<NetworkAddress, std::string> parseNetworkAddress(std::string_view text,
                                                              bool portZeroAllowed) {
  NetworkAddress address;
  std::string_view rest;
  if (startsWithIgnoringCase(text, kRfc2217Scheme)) {
    address.kind = NetworkAddress::Kind::Rfc2217;
    rest = text.substr(kRfc2217Scheme.size());
  } else if (startsWithIgnoringCase(text, kTcpScheme)) {
    address.kind = NetworkAddress::Kind::RawTcp;
    rest = text.substr(kTcpScheme.size());
  } else {
    return std::string(text) + ": not a network port" + std::string(kForm);
  }
  const std::string shown(text);
  std::string_view portText;
  if (!rest.empty() && rest.front() == '[') {
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos)
      return shown + ": the IPv6 address has no closing ']'" + std::string(kForm);
    address.host = std::string(rest.substr(1, close - 1));
    // Hex digits, colons and dots, then perhaps a zone ("%eth0") for a link-local address.
    const std::string_view host(address.host);
    const std::string_view digits = host.substr(0, host.find('%'));
    const std::string_view zone = digits.size() < host.size() ? host.substr(digits.size() + 1) : "";
    const bool v6 = digits.find(':') != std::string_view::npos &&
                    std::all_of(digits.begin(), digits.end(), [](char c) {
                      return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
                    }) &&
                    std::all_of(zone.begin(), zone.end(), hostCharacter) &&
                    (digits.size() == host.size() || !zone.empty());
    if (!v6) return shown + ": '" + address.host + "' is no IPv6 address";
    rest = rest.substr(close + 1);
    if (rest.empty() || rest.front() != ':') return shown + ": no port number" + std::string(kForm);
    portText = rest.substr(1);
  } else {
    const std::size_t colon = rest.rfind(':');
    if (colon == std::string_view::npos) return shown + ": no port number" + std::string(kForm);
    address.host = std::string(rest.substr(0, colon));
    portText = rest.substr(colon + 1);
    if (address.host.find(':') != std::string::npos)
      return shown + ": an IPv6 address is written in brackets, as [::1]:PORT";
    if (address.host.empty()) return shown + ": no host" + std::string(kForm);
    if (!std::all_of(address.host.begin(), address.host.end(), hostCharacter))
      return shown + ": '" + address.host + "' is no host name or address";
  }
  if (portText.empty()) return shown + ": no port number" + std::string(kForm);
  if (portText.size() > 5 || !std::all_of(portText.begin(), portText.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
      }))
    return shown + ": the port must be a number from 1 to 65535";
  address.port = std::stoi(std::string(portText));
  if (address.port == 0 && portZeroAllowed) return address;
  if (address.port < 1 || address.port > 65535)
    return shown + ": the port must be a number from 1 to 65535";
  return address;
}

std::string formatNetworkAddress(const NetworkAddress& address) {
  std::string text(address.kind == NetworkAddress::Kind::Rfc2217 ? kRfc2217Scheme : kTcpScheme);
  if (address.host.find(':') != std::string::npos)
    text += "[" + address.host + "]";
  else
    text += address.host;
  return text + ":" + std::to_string(address.port);
}

}  // namespace lyra
