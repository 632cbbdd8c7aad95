// Network port addresses as typed: the two schemes, names, IPv4 and bracketed IPv6, and a clear
// sentence for each malformed form.

#include <gtest/gtest.h>

#include "serial/NetworkAddress.h"

namespace lyra {
namespace {

NetworkAddress parsed(const std::string& text) {
  const auto r = parseNetworkAddress(text);
  if (const auto* why = std::get_if<std::string>(&r)) ADD_FAILURE() << text << ": " << *why;
  return std::get_if<NetworkAddress>(&r) ? std::get<NetworkAddress>(r) : NetworkAddress{};
}

std::string error(const std::string& text) {
  const auto r = parseNetworkAddress(text);
  return std::get_if<std::string>(&r) ? std::get<std::string>(r) : "(accepted)";
}

TEST(NetworkAddress, SchemesHostsAndPorts) {
  EXPECT_EQ(parsed("rfc2217://192.168.1.20:4001"),
            (NetworkAddress{NetworkAddress::Kind::Rfc2217, "192.168.1.20", 4001}));
  EXPECT_EQ(parsed("TCP://rack-3.venue.example:23"),
            (NetworkAddress{NetworkAddress::Kind::RawTcp, "rack-3.venue.example", 23}));
  EXPECT_EQ(parsed("rfc2217://[::1]:2217"), (NetworkAddress{NetworkAddress::Kind::Rfc2217, "::1", 2217}));
  EXPECT_EQ(parsed("tcp://[fe80::1%eth0]:65535").host, "fe80::1%eth0");
  EXPECT_EQ(formatNetworkAddress(parsed("RFC2217://[::1]:2217")), "rfc2217://[::1]:2217");
  EXPECT_EQ(formatNetworkAddress(parsed("tcp://localhost:7")), "tcp://localhost:7");
  EXPECT_TRUE(isNetworkAddress("Rfc2217://x"));
  EXPECT_FALSE(isNetworkAddress("/dev/ttyUSB0"));
  EXPECT_FALSE(isNetworkAddress("COM3"));
}

TEST(NetworkAddress, MalformedAddressesSayWhatIsWrong) {
  EXPECT_EQ(error("rfc2217://host"),
            "rfc2217://host: no port number (the form is rfc2217://HOST:PORT or tcp://HOST:PORT)");
  EXPECT_EQ(error("tcp://:4001"),
            "tcp://:4001: no host (the form is rfc2217://HOST:PORT or tcp://HOST:PORT)");
  EXPECT_EQ(error("tcp://host:"),
            "tcp://host:: no port number (the form is rfc2217://HOST:PORT or tcp://HOST:PORT)");
  EXPECT_EQ(error("tcp://host:0"), "tcp://host:0: the port must be a number from 1 to 65535");
  EXPECT_EQ(error("tcp://host:65536"), "tcp://host:65536: the port must be a number from 1 to 65535");
  EXPECT_EQ(error("tcp://host:40x1"), "tcp://host:40x1: the port must be a number from 1 to 65535");
  EXPECT_EQ(error("tcp://host:-1"), "tcp://host:-1: the port must be a number from 1 to 65535");
  EXPECT_EQ(error("tcp://host:123456789"),
            "tcp://host:123456789: the port must be a number from 1 to 65535");
  EXPECT_EQ(error("rfc2217://::1:2217"),
            "rfc2217://::1:2217: an IPv6 address is written in brackets, as [::1]:PORT");
  EXPECT_EQ(error("rfc2217://[::1:2217"),
            "rfc2217://[::1:2217: the IPv6 address has no closing ']' (the form is "
            "rfc2217://HOST:PORT or tcp://HOST:PORT)");
  EXPECT_EQ(error("rfc2217://[host]:1"), "rfc2217://[host]:1: 'host' is no IPv6 address");
  EXPECT_EQ(error("rfc2217://[::1]2217"),
            "rfc2217://[::1]2217: no port number (the form is rfc2217://HOST:PORT or tcp://HOST:PORT)");
  EXPECT_EQ(error("tcp://a b:1"), "tcp://a b:1: 'a b' is no host name or address");
  EXPECT_EQ(error("tcp://user@host:1"), "tcp://user@host:1: 'user@host' is no host name or address");
  EXPECT_EQ(error("http://host:1"),
            "http://host:1: not a network port (the form is rfc2217://HOST:PORT or tcp://HOST:PORT)");
}

}  // namespace
}  // namespace lyra
