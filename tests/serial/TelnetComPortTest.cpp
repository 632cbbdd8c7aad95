// Telnet with com port control, both ends, as bytes: the client's negotiation against a server
// that agrees, refuses or answers other settings; 0xFF data both ways; a banner; commands cut at
// every byte; a server that closes mid-frame. The client runs against our own server end too.

#include <gtest/gtest.h>

#include "serial/TelnetComPort.h"

namespace lyra {
namespace {

using namespace telnet;
using Bytes = std::vector<std::uint8_t>;

Bytes sub(std::uint8_t command, Bytes value) {
  Bytes out = {kIac, kSb, kComPort, command};
  TelnetComPort::escape(value, out);
  out.insert(out.end(), {kIac, kSe});
  return out;
}

Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// What a server that agrees to everything answers a client that asked for 9600 8N1.
Bytes agreeingServer(std::uint32_t baudRate = 9600) {
  return cat({{kIac, kDo, kBinary, kIac, kWill, kBinary, kIac, kDo, kComPort},
              sub(kSetBaudRate + kServerOffset,
                  {static_cast<std::uint8_t>(baudRate >> 24), static_cast<std::uint8_t>(baudRate >> 16),
                   static_cast<std::uint8_t>(baudRate >> 8), static_cast<std::uint8_t>(baudRate)}),
              sub(kSetDataSize + kServerOffset, {8}), sub(kSetParity + kServerOffset, {kParityNone}),
              sub(kSetStopSize + kServerOffset, {kStopBitsOne}),
              sub(kSetControl + kServerOffset, {kNoFlowControl})});
}

struct Fed {
  Bytes data;
  Bytes replies;
};

Fed feed(TelnetComPort& t, const Bytes& bytes) {
  Fed f;
  t.received(bytes, f.data, f.replies);
  return f;
}

bool contains(const Bytes& haystack, const Bytes& needle) {
  return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
         haystack.end();
}

TEST(TelnetClient, AsksForBinaryBothWaysAndComPortThenSetsTheLineOnceTheServerAgrees) {
  TelnetComPort client(TelnetComPort::Role::Client);
  EXPECT_EQ(client.start(), (Bytes{kIac, kWill, kBinary, kIac, kDo, kBinary, kIac, kWill, kComPort}));
  // The settings go out when the server agrees to com port control, not before.
  Fed f = feed(client, {kIac, kDo, kBinary, kIac, kWill, kBinary});
  EXPECT_TRUE(f.replies.empty());  // answers to our own requests are not answered again
  f = feed(client, {kIac, kDo, kComPort});
  EXPECT_EQ(f.replies, cat({sub(kSetBaudRate, {0x00, 0x00, 0x25, 0x80}), sub(kSetDataSize, {8}),
                            sub(kSetParity, {1}), sub(kSetStopSize, {1}), sub(kSetControl, {1})}));
  EXPECT_EQ(client.state(), TelnetComPort::State::Negotiating);
  const Bytes server = agreeingServer();
  const Bytes answers(server.begin() + 9, server.end());
  // Every setting must be answered: four of five is not enough.
  const Bytes lastAnswer = sub(kSetControl + kServerOffset, {kNoFlowControl});
  feed(client, Bytes(answers.begin(), answers.end() - static_cast<long>(lastAnswer.size())));
  EXPECT_EQ(client.state(), TelnetComPort::State::Negotiating);
  feed(client, lastAnswer);
  EXPECT_EQ(client.state(), TelnetComPort::State::Ready);
  EXPECT_EQ(client.answered(), ComPortSettings{});
}

TEST(TelnetClient, ServerAnsweringAnotherSettingRefusesTheLineAndSaysWhich) {
  TelnetComPort client(TelnetComPort::Role::Client);
  client.start();
  feed(client, agreeingServer(19200));
  EXPECT_EQ(client.state(), TelnetComPort::State::Refused);
  EXPECT_EQ(client.refusal(), "the server set 19200 baud instead of 9600 baud");
  EXPECT_EQ(client.answered().baudRate, 19200u);

  TelnetComPort parity(TelnetComPort::Role::Client);
  parity.start();
  Bytes server = agreeingServer();
  const Bytes even = sub(kSetParity + kServerOffset, {3});
  const Bytes none = sub(kSetParity + kServerOffset, {kParityNone});
  std::copy(even.begin(), even.end(), std::search(server.begin(), server.end(), none.begin(), none.end()));
  feed(parity, server);
  EXPECT_EQ(parity.state(), TelnetComPort::State::Refused);
  EXPECT_EQ(parity.refusal(), "the server set even parity instead of no parity");
}

TEST(TelnetClient, ServerWithoutComPortControlOrBinaryIsRefused) {
  TelnetComPort noComPort(TelnetComPort::Role::Client);
  noComPort.start();
  feed(noComPort, {kIac, kDo, kBinary, kIac, kWill, kBinary, kIac, kDont, kComPort});
  EXPECT_EQ(noComPort.state(), TelnetComPort::State::Refused);
  EXPECT_EQ(noComPort.refusal(), "the server offers no com port control (RFC 2217)");

  TelnetComPort noBinary(TelnetComPort::Role::Client);
  noBinary.start();
  const Fed f = feed(noBinary, {kIac, kWont, kBinary});
  EXPECT_TRUE(f.replies.empty());  // a refusal of our request is not answered
  EXPECT_EQ(noBinary.state(), TelnetComPort::State::Refused);
  EXPECT_EQ(noBinary.refusal(), "the server refused binary transmission");
}

TEST(TelnetClient, UnknownOptionsAreRefusedOnceAndNotificationsIgnored) {
  TelnetComPort client(TelnetComPort::Role::Client);
  client.start();
  // ser2net's usual offers: suppress go-ahead and echo, and a request for terminal type.
  Fed f = feed(client, {kIac, kWill, 3, kIac, kWill, 1, kIac, kDo, 24});
  EXPECT_EQ(f.replies, (Bytes{kIac, kDont, 3, kIac, kDont, 1, kIac, kWont, 24}));
  // Their acknowledgements of the refusals need no answer: no loop.
  f = feed(client, {kIac, kWont, 3, kIac, kWont, 1, kIac, kDont, 24});
  EXPECT_TRUE(f.replies.empty());
  feed(client, agreeingServer());
  ASSERT_EQ(client.state(), TelnetComPort::State::Ready);
  // Modem-state and line-state notifications, a signature, NOP and another option's
  // sub-negotiation carry no data and change nothing.
  f = feed(client, cat({sub(kNotifyModemState + kServerOffset, {0xB0}),
                        sub(kNotifyLineState + kServerOffset, {0x60}), sub(kServerOffset, {'x'}),
                        {kIac, 241, kIac, kSb, 24, 0, 'v', 't', kIac, kSe, 0x42}}));
  EXPECT_EQ(f.data, Bytes{0x42});
  EXPECT_TRUE(f.replies.empty());
  EXPECT_EQ(client.state(), TelnetComPort::State::Ready);
}

TEST(TelnetClient, BannerBeforeTheLineIsSetIsDroppedAndDataAfterItKept) {
  TelnetComPort client(TelnetComPort::Role::Client);
  client.start();
  const Bytes banner = {'h', 'e', 'l', 'l', 'o', '\r', '\n'};
  const Fed f = feed(client, cat({banner, agreeingServer(), {0x10, 0x20}}));
  EXPECT_EQ(client.state(), TelnetComPort::State::Ready);
  EXPECT_EQ(f.data, (Bytes{0x10, 0x20}));
  EXPECT_EQ(client.droppedBytes(), banner.size());
}

TEST(TelnetData, FfIsDoubledOnTheWayOutAndUndoubledOnTheWayIn) {
  Bytes escaped;
  TelnetComPort::escape(Bytes{0x01, 0xFF, 0xFF, 0x02, 0xFF}, escaped);
  EXPECT_EQ(escaped, (Bytes{0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0xFF, 0xFF}));

  TelnetComPort client(TelnetComPort::Role::Client);
  client.start();
  feed(client, agreeingServer());
  const Fed f = feed(client, escaped);
  EXPECT_EQ(f.data, (Bytes{0x01, 0xFF, 0xFF, 0x02, 0xFF}));
  EXPECT_TRUE(f.replies.empty());
}

// Every cut of the server's whole answer, a data stream with FF bytes and a notification in it,
// gives the same data and the same end as the whole at once.
TEST(TelnetData, SequencesCutAtEveryByteGiveTheSameResult) {
  Bytes dataOut;
  TelnetComPort::escape(Bytes{0xAA, 0xFF, 0x00, 0xFF, 0xFF, 0x55}, dataOut);
  const Bytes stream = cat({{kIac, kWill, 3}, agreeingServer(), dataOut,
                            sub(kNotifyModemState + kServerOffset, {0xFF}), {0x77}});
  TelnetComPort whole(TelnetComPort::Role::Client);
  whole.start();
  const Fed expected = feed(whole, stream);
  ASSERT_EQ(whole.state(), TelnetComPort::State::Ready);
  ASSERT_EQ(expected.data, (Bytes{0xAA, 0xFF, 0x00, 0xFF, 0xFF, 0x55, 0x77}));
  for (std::size_t cut = 1; cut < stream.size(); ++cut) {
    TelnetComPort split(TelnetComPort::Role::Client);
    split.start();
    Fed a = feed(split, Bytes(stream.begin(), stream.begin() + static_cast<long>(cut)));
    const Fed b = feed(split, Bytes(stream.begin() + static_cast<long>(cut), stream.end()));
    a.data.insert(a.data.end(), b.data.begin(), b.data.end());
    a.replies.insert(a.replies.end(), b.replies.begin(), b.replies.end());
    EXPECT_EQ(a.data, expected.data) << "cut at " << cut;
    EXPECT_EQ(a.replies, expected.replies) << "cut at " << cut;
    EXPECT_EQ(split.state(), TelnetComPort::State::Ready) << "cut at " << cut;
  }
}

TEST(TelnetData, ServerClosingMidFrameKeepsWhatCameAndEndsANegotiation) {
  TelnetComPort client(TelnetComPort::Role::Client);
  client.start();
  feed(client, agreeingServer());
  // Half a frame, then half an escaped FF, then the connection ends.
  const Fed f = feed(client, {0x01, 0x02, kIac});
  client.closed();
  EXPECT_EQ(f.data, (Bytes{0x01, 0x02}));
  // A fresh connection's bytes are not taken for the rest of the cut command.
  const Fed after = feed(client, {0x03});
  EXPECT_EQ(after.data, Bytes{0x03});

  TelnetComPort early(TelnetComPort::Role::Client);
  early.start();
  feed(early, {kIac, kDo, kBinary, kIac, kSb, kComPort});
  early.closed();
  EXPECT_EQ(early.state(), TelnetComPort::State::Closed);
}

TEST(TelnetServer, AnswersEachSettingWithTheLineItHasAndPassesData) {
  TelnetComPort server(TelnetComPort::Role::Server);
  EXPECT_TRUE(server.start().empty());
  Fed f = feed(server, {kIac, kWill, kBinary, kIac, kDo, kBinary, kIac, kWill, kComPort, kIac, kDo, 1});
  EXPECT_EQ(f.replies, (Bytes{kIac, kDo, kBinary, kIac, kWill, kBinary, kIac, kDo, kComPort, kIac,
                              kWont, 1}));
  f = feed(server, cat({sub(kSetBaudRate, {0, 0, 0x4B, 0}), sub(kSetDataSize, {7}), {0xFF, 0xFF, 0x09}}));
  EXPECT_EQ(f.replies, cat({sub(kSetBaudRate + kServerOffset, {0, 0, 0x25, 0x80}),
                            sub(kSetDataSize + kServerOffset, {8})}));
  EXPECT_EQ(f.data, (Bytes{0xFF, 0x09}));
}

TEST(TelnetServer, ClientAndServerEndsAgreeOnTheirOwn) {
  TelnetComPort client(TelnetComPort::Role::Client);
  TelnetComPort server(TelnetComPort::Role::Server);
  Bytes toServer = client.start();
  for (int round = 0; round < 4 && client.state() == TelnetComPort::State::Negotiating; ++round) {
    const Fed s = feed(server, toServer);
    const Fed c = feed(client, s.replies);
    toServer = c.replies;
  }
  EXPECT_EQ(client.state(), TelnetComPort::State::Ready);
  TelnetComPort slow(TelnetComPort::Role::Client);
  TelnetComPort server19200(TelnetComPort::Role::Server, ComPortSettings{19200});
  const Fed s = feed(server19200, slow.start());
  const Fed c = feed(slow, s.replies);
  feed(slow, feed(server19200, c.replies).replies);
  EXPECT_EQ(slow.state(), TelnetComPort::State::Refused);
  EXPECT_TRUE(contains(c.replies, sub(kSetBaudRate, {0, 0, 0x25, 0x80})));
}

}  // namespace
}  // namespace lyra
