// The network driver with real sockets on the loopback, under the link and its reader thread: a
// small server in the test plays the device server (our own server end of telnet com port
// control, raw bytes, silence, a hang-up). Waits are on conditions with generous limits, in real
// time, since the connect and the negotiation run on a worker thread.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <numeric>
#include <thread>

#include "serial/NetworkSerialDriver.h"
#include "serial/SerialLink.h"
#include "serial/TelnetComPort.h"
#include "timing/LoopScheduler.h"

namespace lyra {
namespace {

constexpr int kPatienceMs = 30000;

std::string hexOf(const std::vector<std::uint8_t>& bytes) {
  static const char* d = "0123456789ABCDEF";
  std::string s;
  for (auto b : bytes) s += {d[b >> 4], d[b & 15]};
  return s;
}

// One client at a time on 127.0.0.1 (or ::1), on a port the system picks.
class TestServer {
 public:
  enum class Mode { Telnet, Raw, Silent, HangUp };

  TestServer(Mode mode, bool v6 = false) : mode_(mode) {
    listener_ = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
    sockaddr_storage a{};
    socklen_t len = 0;
    if (v6) {
      auto* a6 = reinterpret_cast<sockaddr_in6*>(&a);
      a6->sin6_family = AF_INET6;
      a6->sin6_addr = in6addr_loopback;
      len = sizeof *a6;
    } else {
      auto* a4 = reinterpret_cast<sockaddr_in*>(&a);
      a4->sin_family = AF_INET;
      a4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      len = sizeof *a4;
    }
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&a), len) != 0 || ::listen(listener_, 4) != 0)
      return;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(v6 ? reinterpret_cast<sockaddr_in6*>(&a)->sin6_port
                     : reinterpret_cast<sockaddr_in*>(&a)->sin_port);
    // A silent server never even accepts: the system completes the connect, nobody answers.
    if (mode_ != Mode::Silent) thread_ = std::thread([this] { serve(); });
  }
  ~TestServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
  }

  int port() const { return port_; }
  // Closes the client's connection, as a device server that is stopped.
  void hangUp() { hangUp_ = true; }

 private:
  void serve() {
    pollfd p{listener_, POLLIN, 0};
    while (!stop_ && ::poll(&p, 1, 50) <= 0) {
    }
    if (stop_) return;
    const int client = ::accept(listener_, nullptr, nullptr);
    if (mode_ == Mode::HangUp) {
      ::close(client);
      return;
    }
    TelnetComPort telnet(TelnetComPort::Role::Server);
    std::uint8_t buffer[4096];
    pollfd c{client, POLLIN, 0};
    while (!stop_ && !hangUp_) {
      if (::poll(&c, 1, 50) <= 0) continue;
      const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      std::vector<std::uint8_t> data(buffer, buffer + n);
      std::vector<std::uint8_t> out;
      if (mode_ == Mode::Telnet) {
        std::vector<std::uint8_t> received;
        telnet.received(data, received, out);
        TelnetComPort::escape(received, out);  // the echo, as the line would carry it back
      } else {
        out = data;
      }
      if (!out.empty()) ::send(client, out.data(), out.size(), MSG_NOSIGNAL);
    }
    ::close(client);
  }

  Mode mode_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> hangUp_{false};
};

class NetworkDriver : public ::testing::Test {
 protected:
  bool runUntil(const std::function<bool()>& pred) { return scheduler.runUntil(pred, kPatienceMs); }

  std::vector<std::uint8_t> everyByte() {
    std::vector<std::uint8_t> all(256);
    std::iota(all.begin(), all.end(), 0);
    return all;
  }

  LoopScheduler scheduler;
  NetworkSerialDriver driver{scheduler};
  SerialLink link{driver, scheduler};
};

TEST_F(NetworkDriver, TelnetCarriesEveryByteValueBothWays) {
  TestServer server(TestServer::Mode::Telnet);
  ASSERT_TRUE(link.openPort("rfc2217://127.0.0.1:" + std::to_string(server.port())))
      << driver.lastErrorText();
  link.startReader();
  // 0xFF travels doubled and comes back single; every other value as it is.
  link.TransmitBuffer = everyByte();
  link.TransmitBuffer.push_back(0xFF);
  link.write();
  ASSERT_FALSE(link.isDead());
  EXPECT_TRUE(runUntil([&] { return link.ReceiveText.size() >= 2 * 257; }));
  EXPECT_EQ(link.ReceiveText, hexOf(link.TransmitBuffer));
  link.closePort();
}

TEST_F(NetworkDriver, RawTcpCarriesBytesAsTheyAreOverIpv6Too) {
  TestServer server(TestServer::Mode::Raw, true);
  if (server.port() == 0) GTEST_SKIP() << "no IPv6 loopback here";
  ASSERT_TRUE(link.openPort("tcp://[::1]:" + std::to_string(server.port())))
      << driver.lastErrorText();
  link.startReader();
  link.TransmitBuffer = everyByte();
  link.write();
  EXPECT_TRUE(runUntil([&] { return link.ReceiveText.size() >= 2 * 256; }));
  EXPECT_EQ(link.ReceiveText, hexOf(everyByte()));
}

// The window calls open() on its own thread: while a server keeps it waiting, its events run.
TEST_F(NetworkDriver, ASilentServerKeepsTheCallersEventsRunningAndIsRefusedInTime) {
  TestServer server(TestServer::Mode::Silent);
  bool ranDuringOpen = false;
  scheduler.post(100'000, [&] { ranDuringOpen = !driver.isOpen(); });
  const std::int64_t startUs = scheduler.nowUs();
  EXPECT_EQ(driver.open("rfc2217://127.0.0.1:" + std::to_string(server.port())),
            SerialError::LineSettings);
  EXPECT_TRUE(ranDuringOpen);
  EXPECT_GE(scheduler.nowUs() - startUs, NetworkSerialDriver::kNegotiationMs * 1000 - 50'000);
  EXPECT_NE(driver.lastErrorText().find("did not answer the com port settings"), std::string::npos)
      << driver.lastErrorText();
  EXPECT_FALSE(driver.isOpen());
}

TEST_F(NetworkDriver, RefusalsAndHangUpsKeepTheLinksErrorKindsAndTheSystemsText) {
  int closedPort = 0;
  {
    TestServer gone(TestServer::Mode::Raw);
    closedPort = gone.port();
  }
  EXPECT_EQ(driver.open("tcp://127.0.0.1:" + std::to_string(closedPort)), SerialError::NotFound);
  EXPECT_NE(driver.lastErrorText().find("refused"), std::string::npos) << driver.lastErrorText();
  EXPECT_EQ(driver.open("tcp://127.0.0.1"), SerialError::NotFound);
  EXPECT_NE(driver.lastErrorText().find("no port number"), std::string::npos);

  // A device server hangs up on a second client: the port is in use.
  TestServer busy(TestServer::Mode::HangUp);
  EXPECT_EQ(driver.open("rfc2217://127.0.0.1:" + std::to_string(busy.port())), SerialError::Busy);
  EXPECT_NE(driver.lastErrorText().find("closed the connection"), std::string::npos)
      << driver.lastErrorText();
}

TEST_F(NetworkDriver, AServerThatClosesTheConnectionIsAPortThatLeft) {
  TestServer server(TestServer::Mode::Telnet);
  ASSERT_TRUE(link.openPort("rfc2217://127.0.0.1:" + std::to_string(server.port())));
  link.startReader();
  EXPECT_FALSE(link.connectionLost());
  server.hangUp();
  // The reader sees the end; the notification's read finds it.
  EXPECT_TRUE(runUntil([&] { return link.connectionLost(); }));
  EXPECT_EQ(driver.lastErrorText(), "the server closed the connection");
  link.TransmitBuffer = {0x01};
  link.write();
  EXPECT_TRUE(link.isDead());
  EXPECT_EQ(link.lastError(), SerialError::Vanished);
  link.closePort();
  EXPECT_FALSE(driver.isOpen());
}

}  // namespace
}  // namespace lyra
