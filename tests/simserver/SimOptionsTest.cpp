// lyraphone-sim's command line: what a support engineer types must mean what the help says.

#include <gtest/gtest.h>

#include "simserver/SimOptions.h"
#include "simserver/TrafficLog.h"

namespace lyra {
namespace {

std::optional<SimOptions> parse(std::vector<std::string> args, std::string* errorOut = nullptr) {
  std::string error;
  auto o = parseSimOptions(args, error);
  if (errorOut) *errorOut = error;
  return o;
}

TEST(SimOptions, TheDefaultBusIsDevicesOneAndFiveWithoutFaults) {
  const auto o = parse({});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->deviceIds, (std::vector<int>{1, 5}));
  EXPECT_TRUE(o->faults.empty());
  EXPECT_TRUE(o->logPath.empty());
  EXPECT_EQ(o->portNumber, -1);
  EXPECT_LT(o->vanishAfterS, 0);
  EXPECT_EQ(o->frameGapMs, 500);
}

TEST(SimOptions, FaultsLandOnTheNamedDeviceOrOnAll) {
  const auto o = parse({"--devices=2,7,9", "--silent", "7", "--late", "2:350", "--drop=9:0.25",
                        "--corrupt", "all:0.5", "--no-names", "2"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->deviceIds, (std::vector<int>{2, 7, 9}));
  EXPECT_TRUE(o->faults.at(7).silent);
  EXPECT_FALSE(o->faults.at(2).silent);
  EXPECT_EQ(o->faults.at(2).lateByUs, 350'000);
  EXPECT_TRUE(o->faults.at(2).ignoreNameTableRead);
  EXPECT_DOUBLE_EQ(o->faults.at(9).dropRate, 0.25);
  for (int id : {2, 7, 9}) EXPECT_DOUBLE_EQ(o->faults.at(id).corruptRate, 0.5);
}

TEST(SimOptions, TheFrameGapIsGivenInMilliseconds) {
  const auto o = parse({"--frame-gap-ms", "5000"});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->frameGapMs, 5000);
}

TEST(SimOptions, ListenTakesNetworkAddressesAndPortZero) {
  const auto o = parse({"--listen", "rfc2217://127.0.0.1:0", "--listen=tcp://[::1]:4002"});
  ASSERT_TRUE(o);
  ASSERT_EQ(o->listen.size(), 2u);
  EXPECT_EQ(o->listen[0], (NetworkAddress{NetworkAddress::Kind::Rfc2217, "127.0.0.1", 0}));
  EXPECT_EQ(o->listen[1], (NetworkAddress{NetworkAddress::Kind::RawTcp, "::1", 4002}));
}

TEST(SimOptions, MistakesAreRefusedWithAReason) {
  struct Case {
    std::vector<std::string> args;
    std::string says;
  };
  const Case cases[] = {
      {{"--devices", "0"}, "1..255"},
      {{"--devices", "1,1"}, "once"},
      {{"--devices", "256"}, "1..255"},
      {{"--devices"}, "needs a value"},
      {{"--silent", "3"}, "no device with DeviceId 3"},
      {{"--late", "1"}, "ID:MS"},
      {{"--drop", "1:1.5"}, "0 to 1"},
      {{"--corrupt", "1:x"}, "0 to 1"},
      {{"--port", "100"}, "0..99"},
      {{"--frame-gap-ms", "0"}, "1..600000"},
      {{"--return-after", "2"}, "needs --vanish-after"},
      {{"--colour"}, "unknown option --colour"},
      {{"--listen", "udp://127.0.0.1:1"}, "not a network port"},
      {{"--listen", "tcp://127.0.0.1"}, "no port number"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(parse(c.args, &error)) << c.args[0];
    EXPECT_NE(error.find(c.says), std::string::npos) << c.args[0] << ": " << error;
  }
}

TEST(TrafficLogLine, StampsSecondsWithMicrosecondsAndWritesUpperCaseHex) {
  EXPECT_EQ(TrafficLog::line(12'503'117, "program", {0xA5, 0x0B, 0xAA}),
            "    12.503117  program    A5 0B AA");
  EXPECT_EQ(TrafficLog::line(7, "device 255", {0x00}), "     0.000007  device 255 00");
}

}  // namespace
}  // namespace lyra
