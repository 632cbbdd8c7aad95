// The reply parser fed through the serial link's receive path: bytes arrive on the simulated bus
// at line speed and reach the parser in the notifications the link makes of them.

#include <gtest/gtest.h>

#include <algorithm>

#include "reply/ReplyParser.h"
#include "sessions/ReplyWiring.h"
#include "protocol/CommandFrame.h"
#include "sim/SimBus.h"
#include "tests/preset/ExampleBlock.h"
#include "timing/VirtualScheduler.h"

namespace lyra {
namespace {

Frame reply(std::uint8_t command, std::uint8_t group, std::vector<std::uint8_t> payload,
            std::uint8_t index = 0) {
  return buildFrame(0x00, command, index, group, 0, payload);
}
Frame statusReply(int reading, int attenuation) {
  return reply(command::kReadReply, group::kStatusRecord,
               {0, 0, static_cast<std::uint8_t>(reading >> 8),
                static_cast<std::uint8_t>(reading & 0xFF), static_cast<std::uint8_t>(attenuation),
                0, 0, 0});
}
Frame systemReply(int lastPreset) {
  return reply(command::kReadReply, group::kSystemRecord,
               {static_cast<std::uint8_t>(lastPreset), 7, 9, 1, 0, 12, 0, 0});
}
Frame bytesOfHex(const std::string& hex) {
  Frame f;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    f.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return f;
}
Frame operator+(Frame a, const Frame& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class ReplyParserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus.addPort("COM3");
    link.replyParser = [this] {
      ++calls;
      parser.parseReplies();
    };
    auto& h = parser.hooks;
    h.status = [this](const StatusRecord& s) {
      log.push_back("status:" + ReplyParser::statusTextFor(s));
    };
    h.lastLoadedPreset = [this](const std::string& t) { log.push_back("label:" + t); };
    h.presetDecoded = [this] { log.push_back("decoded"); };
    h.namesArrived = [this] { log.push_back("names"); };
    ASSERT_TRUE(link.openPort("COM3"));
    link.startReader();
    supervisor.begin();  // the port was opened for a connection
  }
  // The device sends these bytes; returns when they are in and handled.
  void arrive(const Frame& bytes) {
    bus.sendToProgram("COM3", bytes);
    scheduler.advanceMs(SimBus::byteTimeUs(static_cast<std::int64_t>(bytes.size())) / 1000 + 60);
  }

  VirtualScheduler scheduler;
  TimerTable timers{scheduler};
  SimBus bus{scheduler};
  std::unique_ptr<SerialDriver> driver = bus.makeDriver();
  SerialLink link{*driver, scheduler};
  BusAddressing address;
  SendPump pump{timers, link, address};
  std::unique_ptr<PortSource> ports = bus.makePortSource();
  PortList portList{*ports};
  LinkSupervisor supervisor{timers, link, pump, address, portList};
  PresetImage image;
  ReplyParser parser = WiredReplyParser(link, image, pump, supervisor);
  std::vector<std::string> log;
  int calls = 0;
};

TEST_F(ReplyParserTest, TextThatCannotStartAReplyIsThrownAway) {
  arrive({0xA5, 0xA5});  // two bytes that may start a reply wait for the rest
  EXPECT_EQ(link.ReceiveText, "A5A5");
  arrive({0x00, 0x52});  // and are thrown away with it when it shows they started none
  EXPECT_EQ(link.ReceiveText, "");
  EXPECT_TRUE(log.empty());
}

TEST_F(ReplyParserTest, AnUnknownReplyBlocksTheFrontUntilTheTextReaches1000Characters) {
  // An acknowledgement of a group nobody writes: a header the parser does not know.
  arrive(reply(command::kAcknowledge, 0x05, {}) + statusReply(2004, 3));
  EXPECT_TRUE(log.empty());  // the status behind it is not reached
  EXPECT_EQ(link.ReceiveText.size(), 64u);
  arrive(statusReply(2004, 3));
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(link.ReceiveText.size(), 104u);

  // Line noise behind it grows the text past 1000 characters: all of it is thrown away.
  arrive(Frame(470, 0x00));
  EXPECT_EQ(link.ReceiveText, "");
  EXPECT_TRUE(log.empty());  // nothing of what was lost is applied, and nothing is said
  arrive(statusReply(2004, 3));
  EXPECT_EQ(
      log, std::vector<std::string>{"status:Internal Temperature: 50'C |   Attenuation dB:  3 dB"});
  EXPECT_EQ(link.ReceiveText, "");
}

TEST_F(ReplyParserTest, ChecksumsAreNotVerifiedAndTheRangeRuleHoldsACorruptedBlock) {
  Frame status = statusReply(2004, 3);
  status[18] ^= 0xFF;  // the checksum
  arrive(status);
  EXPECT_EQ(
      log, std::vector<std::string>{"status:Internal Temperature: 50'C |   Attenuation dB:  3 dB"});
  EXPECT_EQ(link.ReceiveText, "");

  // Band 1's frequency index 250 is beyond its scale, and the checksum no longer matches.
  log.clear();
  arrive(bytesOfHex(testing::WithDataByte(testing::kExampleBlock, 24, 250)));
  EXPECT_EQ(log, std::vector<std::string>{"decoded"});
  EXPECT_EQ(image.band(0).frequency, 243);
  EXPECT_EQ(image.way(Way::High).level, 200);  // the rest of the block as sent
  EXPECT_EQ(link.ReceiveText, "");
}

TEST_F(ReplyParserTest, ASystemRecordFollowedByAStatusAreBothHandledInOneCall) {
  arrive(systemReply(4) + statusReply(2004, 3));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(log, (std::vector<std::string>{
                     "label:Last loaded preset:Pre3         ",
                     "status:Internal Temperature: 50'C |   Attenuation dB:  3 dB"}));
  EXPECT_EQ(link.ReceiveText, "");
  EXPECT_EQ(image.system.lastPresetNumber, 4);
  EXPECT_EQ(image.system.storedBytes, (std::array<std::uint8_t, 2>{7, 9}));
  EXPECT_EQ(image.system.temperatureLimit, 12);
}

// A status reply used to end the call: what stood behind it waited for the next notification,
// which during a name save (the poll paused) never came, so the save's acknowledgement was lost
// and a save the device took was reported as a time-out.
TEST_F(ReplyParserTest, WhatFollowsAStatusInOneReadIsHandledInThatRead) {
  int saveAcks = 0;
  parser.route(Reply::SaveAck, Owner::DevicePresets, [&](ReceivedReply&) {
    ++saveAcks;
    return true;
  });
  arrive(statusReply(1150, 0) + systemReply(8));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(log, (std::vector<std::string>{
                     "status:Internal Temperature: >=70 'C |   Attenuation dB:  0 dB",
                     "label:Last loaded preset:Usr7         "}));
  EXPECT_EQ(link.ReceiveText, "");
  arrive(statusReply(6000, 12) + reply(command::kAcknowledge, group::kWriteAcknowledged, {}));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(saveAcks, 1);
  EXPECT_EQ(log.back(), "status:Internal Temperature: <=10 'C |   Attenuation dB:  12 dB");
  EXPECT_EQ(link.ReceiveText, "");
  // Two status replies and an acknowledgement behind them (52 bytes: two reads at 9600 baud).
  arrive(statusReply(2004, 1) + statusReply(2004, 2) +
         reply(command::kAcknowledge, group::kWriteAcknowledged, {}));
  EXPECT_EQ(saveAcks, 2);
  EXPECT_EQ(log.back(), "status:Internal Temperature: 50'C |   Attenuation dB:  2 dB");
  EXPECT_EQ(link.ReceiveText, "");
}

// A read that ends one or two bytes into the acknowledgement's preamble (seen in the fault
// scenarios: a name save's acknowledgement 26 ms behind a late poll's reply): the start of the
// preamble waits for the rest, which the next read brings.
TEST_F(ReplyParserTest, APreambleCutByTheEndOfAReadWaitsForItsRest) {
  int saveAcks = 0;
  parser.route(Reply::SaveAck, Owner::DevicePresets, [&](ReceivedReply&) {
    ++saveAcks;
    return true;
  });
  for (std::size_t cut : {1u, 2u}) {
    const auto ack = reply(command::kAcknowledge, group::kWriteAcknowledged, {});
    auto first = statusReply(2004, 1);
    first.insert(first.end(), ack.begin(), ack.begin() + static_cast<std::ptrdiff_t>(cut));
    arrive(first);
    EXPECT_EQ(link.ReceiveText, std::string(cut == 1 ? "A5" : "A5A5")) << cut;
    arrive(std::vector<std::uint8_t>(ack.begin() + static_cast<std::ptrdiff_t>(cut), ack.end()));
    EXPECT_EQ(link.ReceiveText, "") << cut;
  }
  EXPECT_EQ(saveAcks, 2);
}

// A read that holds nothing but the first one or two bytes of a reply (a device server on the
// network passes on the reply's first byte alone and the rest late, behind the link's 50 ms)
// waits for the rest as well: dropped, it took the whole reply with it, the handshake's names
// among them.
TEST_F(ReplyParserTest, AReadOfOnlyThePreamblesFirstBytesWaitsForTheRest) {
  int names = 0;
  parser.route(Reply::NameTable, Owner::Connection, [&](ReceivedReply&) {
    ++names;
    return true;
  });
  const auto table = reply(command::kReadReply, group::kNameTable, std::vector<std::uint8_t>(400, 0x41));
  for (std::size_t cut : {1u, 2u}) {
    arrive(Frame(table.begin(), table.begin() + static_cast<std::ptrdiff_t>(cut)));
    EXPECT_EQ(link.ReceiveText, std::string(cut == 1 ? "A5" : "A5A5")) << cut;
    arrive(Frame(table.begin() + static_cast<std::ptrdiff_t>(cut), table.end()));
    EXPECT_EQ(link.ReceiveText, "") << cut;
  }
  EXPECT_EQ(names, 2);
  // A byte that is no preamble's start is still thrown away at once.
  arrive(Frame{0x3A});
  EXPECT_EQ(link.ReceiveText, "");
}

TEST_F(ReplyParserTest, TheWorkedStatusReplySetsItsTextAndLeavesNothing) {
  arrive(bytesOfHex("A5A5A50052002B000008000007D403000000A1AA"));
  EXPECT_EQ(log, std::vector<std::string>{
                     "status:Internal Temperature: 50'C |   Attenuation dB:  3 dB"});
  EXPECT_EQ(link.ReceiveText, "");
  EXPECT_EQ(ReplyParser::lastLoadedPresetText(6), "Last loaded preset:Pre5         ");
  EXPECT_EQ(ReplyParser::lastLoadedPresetText(1), "Last loaded preset:Pre0         ");
  EXPECT_EQ(ReplyParser::lastLoadedPresetText(7), "Last loaded preset:Usr6         ");
}

TEST_F(ReplyParserTest, AReplySplitAcrossNotificationsIsHandledOnceWhole) {
  const Frame status = statusReply(2004, 1);
  arrive(Frame(status.begin(), status.begin() + 9));
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(link.ReceiveText.size(), 18u);  // kept for the rest
  arrive(Frame(status.begin() + 9, status.end()));
  EXPECT_EQ(log.size(), 1u);
  EXPECT_EQ(link.ReceiveText, "");
}

TEST_F(ReplyParserTest, AnAcknowledgementGoesToTheOwnerWaitingForItAndIsConsumedEitherWay) {
  bool idAwaited = true;
  int idAcks = 0;
  int saveAcks = 0;
  parser.route(Reply::IdAck, Owner::DeviceIdentity, [&](ReceivedReply&) {
    if (!idAwaited) return false;
    ++idAcks;
    return true;
  });
  parser.route(Reply::SaveAck, Owner::DevicePresets, [&](ReceivedReply&) {
    ++saveAcks;
    return true;
  });
  arrive(reply(command::kAcknowledge, group::kSystemRecord, {}) + systemReply(2));
  EXPECT_EQ(idAcks, 1);
  EXPECT_EQ(saveAcks, 0);
  // The SystemRecord behind the acknowledgement is decoded in the same call.
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(log, std::vector<std::string>{"label:Last loaded preset:Pre1         "});
  EXPECT_EQ(link.ReceiveText, "");

  idAwaited = false;
  link.ReceiveText.clear();
  arrive(reply(command::kAcknowledge, group::kSystemRecord, {}));  // nobody waits for it
  EXPECT_EQ(idAcks, 1);
  EXPECT_EQ(link.ReceiveText, "");
  arrive(reply(command::kAcknowledge, group::kWriteAcknowledged, {}));
  EXPECT_EQ(saveAcks, 1);
  EXPECT_EQ(link.ReceiveText, "");
}

TEST_F(ReplyParserTest, ABlockIsOfferedRawInOwnerOrderAndTheFirstTakerKeepsItFromTheImage) {
  std::vector<std::string> offers;
  bool filesTake = true;
  bool groupTakes = false;
  // Installed in the other order: the group initial data comes first all the same.
  parser.route(Reply::ActiveBlock, Owner::PcFiles, [&](ReceivedReply& r) {
    offers.push_back("files:" + std::to_string(r.index()));
    return filesTake;
  });
  parser.route(Reply::ActiveBlock, Owner::GroupInitialData, [&](ReceivedReply& r) {
    offers.push_back("group");
    if (groupTakes) r.clearAll();
    return groupTakes;
  });
  const PresetImage before = image;
  arrive(bytesOfHex(testing::kExampleBlock));
  EXPECT_EQ(offers, (std::vector<std::string>{"group", "files:0"}));
  EXPECT_EQ(image, before);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(link.ReceiveText, "");

  offers.clear();
  groupTakes = true;
  arrive(bytesOfHex(testing::kExampleBlock));
  EXPECT_EQ(offers, std::vector<std::string>{"group"});
  EXPECT_EQ(image, before);
}

TEST_F(ReplyParserTest, ABlockNoOneTakesRawIsDecodedThenOfferedToWhoWaitsForThePreset) {
  bool connectWaits = true;
  int slotLoads = 0;
  parser.route(Reply::ActivePreset, Owner::Connection, [&](ReceivedReply&) {
    if (!connectWaits) return false;
    connectWaits = false;
    pump.sendNow(readNameTable(0x00), SendPump::ReceiveText::Clear);
    return true;
  });
  parser.route(Reply::ActivePreset, Owner::DevicePresets, [&](ReceivedReply&) {
    ++slotLoads;
    return false;
  });
  pump.queueParameterWrite(30, parameterWrite(0, 0x05, 0, {}));
  arrive(bytesOfHex(testing::kExampleBlock));
  EXPECT_EQ(log, std::vector<std::string>{"decoded"});
  EXPECT_EQ(slotLoads, 1);           // offered first, did not take it
  EXPECT_FALSE(pump.isPending(30));  // nothing of the refresh is sent back
  EXPECT_EQ(image.way(Way::High).level, 200);
  ASSERT_EQ(bus.writes("COM3").size(), 1u);
  EXPECT_EQ(bus.writes("COM3")[0].bytes, readNameTable(0x00));

  // The same block once more, with no one waiting: the image takes it, nothing is sent.
  arrive(bytesOfHex(testing::WithDataByte(testing::kExampleBlock, 24, 100)));
  EXPECT_EQ(log, (std::vector<std::string>{"decoded", "decoded"}));
  EXPECT_EQ(image.band(0).frequency, 100);
  EXPECT_EQ(bus.writes("COM3").size(), 1u);
  EXPECT_EQ(link.ReceiveText, "");
}

// On a bus with two devices a late block of the other one (its slot load timed out, say) came
// in with no one waiting and was shown as the connected device's preset.
// The pump and the supervisor act on a read through the link hooks, at fixed moments: the
// watchdog hears the line before any owner sees the bytes, and the refresh's writes are dropped
// after the controls were refreshed and before whoever waits for the preset is offered it (what
// that owner queues must survive).
TEST_F(ReplyParserTest, TheLinkHooksActAtTheirMomentsOfEachRead) {
  const auto heard = parser.linkHooks.heard;
  parser.linkHooks.heard = [&, heard] {
    log.push_back("heard");
    heard();
  };
  const auto imageReplaced = parser.linkHooks.imageReplaced;
  parser.linkHooks.imageReplaced = [&, imageReplaced] {
    log.push_back("slots cleared");
    imageReplaced();
  };
  parser.route(Reply::AnyBytes, Owner::Connection, [&](ReceivedReply&) {
    log.push_back("any bytes");
    return false;
  });
  parser.route(Reply::ActivePreset, Owner::Connection, [&](ReceivedReply&) {
    log.push_back("preset");
    pump.queueParameterWrite(kMainBand1Slot, parameterWrite(0, 0x05, 0, {}));
    return true;
  });
  arrive(bytesOfHex(testing::kExampleBlock));

  ASSERT_GE(log.size(), 5u);
  const auto reads = std::count(log.begin(), log.end(), "heard");
  EXPECT_EQ(std::count(log.begin(), log.end(), "any bytes"), reads);
  for (std::size_t k = 0; k + 1 < log.size(); ++k) {
    if (log[k] == "heard") {
      EXPECT_EQ(log[k + 1], "any bytes") << "entry " << k;
    }
  }
  EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
            (std::vector<std::string>{"decoded", "slots cleared", "preset"}));
  EXPECT_TRUE(pump.isPending(kMainBand1Slot));
}

TEST_F(ReplyParserTest, ABlockFromAnotherAddressIsNeverDecodedIntoTheImage) {
  int offered = 0;
  parser.route(Reply::ActivePreset, Owner::DevicePresets, [&](ReceivedReply&) {
    ++offered;
    return true;
  });
  address.BusAddress = 0x04;  // connected to DeviceId 5
  std::string other = testing::WithDataByte(testing::kExampleBlock, 24, 100);
  other.replace(6, 2, "01");  // sent by DeviceId 2
  const PresetImage before = image;
  arrive(bytesOfHex(other) + statusReply(2004, 3));
  EXPECT_EQ(image, before);
  EXPECT_EQ(offered, 0);
  EXPECT_EQ(log, std::vector<std::string>{
                     "status:Internal Temperature: 50'C |   Attenuation dB:  3 dB"})
      << "what follows the dropped block is still read";
  EXPECT_EQ(link.ReceiveText, "");
  // The connected device's own block is its preset.
  other.replace(6, 2, "04");
  arrive(bytesOfHex(other));
  EXPECT_EQ(image.band(0).frequency, 100);
  EXPECT_EQ(offered, 1);
}

TEST_F(ReplyParserTest, NamesEndAtTheirFirstZeroByteAndGoToTheirOwner) {
  int owners = 0;
  parser.route(Reply::NameTable, Owner::Connection, [&](ReceivedReply&) {
    ++owners;
    return true;
  });
  std::vector<std::uint8_t> names(400, 0);
  const std::string rock = "Rock";
  std::copy(rock.begin(), rock.end(), names.begin());
  names[20 * 7] = 'U';
  names[20 * 7 + 1] = 0;
  names[20 * 7 + 2] = 'x';  // after the zero: stored, not shown
  arrive(reply(command::kReadReply, group::kNameTable, names));
  EXPECT_EQ(log, std::vector<std::string>{"names"});
  EXPECT_EQ(owners, 1);
  EXPECT_EQ(image.names.shown(0), "Rock");
  EXPECT_EQ(image.names.shown(7), "U");
  EXPECT_EQ(image.names.names[7][2], 'x');
  EXPECT_EQ(link.ReceiveText, "");
}

TEST_F(ReplyParserTest, StoredBlocksAreOfferedWithTheirIndexAndDroppedWhenNoOneTakesThem) {
  Frame block = bytesOfHex(testing::kExampleBlock);
  block[6] = group::kStoredBlock;
  block[5] = 7;
  arrive(block);  // nobody collects: dropped, so what follows is not held up behind it
  EXPECT_EQ(link.ReceiveText, "");
  std::vector<int> indices;
  parser.route(Reply::StoredBlock, Owner::PcFiles, [&](ReceivedReply& r) {
    indices.push_back(r.index());
    return true;
  });
  for (int n : {1, 1, 20}) {
    block[5] = static_cast<std::uint8_t>(n);
    arrive(block);
  }
  EXPECT_EQ(indices, (std::vector<int>{1, 1, 20}));
  EXPECT_EQ(link.ReceiveText, "");
}

TEST_F(ReplyParserTest, ASearchProbeAnsweredIsOfferedToTheSearchAndStillShown) {
  bool searching = false;
  int hits = 0;
  parser.route(Reply::Status, Owner::Search, [&](ReceivedReply&) {
    if (!searching) return false;
    ++hits;
    return true;
  });
  arrive(statusReply(2004, 0));
  EXPECT_EQ(hits, 0);
  searching = true;
  arrive(statusReply(2004, 0));
  EXPECT_EQ(hits, 1);
  EXPECT_EQ(log.size(), 2u);
}

}  // namespace
}  // namespace lyra

namespace lyra {
namespace {

// The status is decoded once, with the device it came from: the front ends take the degrees and
// the attenuation from it instead of the reply's bytes or the status bar's text.
TEST_F(ReplyParserTest, AStatusReplyIsDecodedOnceWithItsSenderDegreesAndAttenuation) {
  std::vector<StatusRecord> seen;
  parser.hooks.status = [&](const StatusRecord& s) { seen.push_back(s); };
  // DeviceId 7 answers at BusAddress 6.
  const std::vector<std::uint8_t> record{0, 0, 2004 >> 8, 2004 & 0xFF, 3, 0, 0, 0};
  const Frame fromDeviceSeven =
      buildFrame(0x06, command::kReadReply, 0, group::kStatusRecord, 0, record);
  arrive(fromDeviceSeven + statusReply(1150, 0) + statusReply(9000, 255));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].busAddress, 6);
  EXPECT_EQ(seen[0].temperatureReading, 2004);
  EXPECT_EQ(seen[0].degreesCelsius(), 50);
  EXPECT_EQ(seen[0].bound(), StatusRecord::Bound::Exact);
  EXPECT_EQ(seen[0].attenuationDb, 3);
  EXPECT_EQ(seen[1].busAddress, 0);
  EXPECT_EQ(seen[1].degreesCelsius(), 70);
  EXPECT_EQ(seen[1].bound(), StatusRecord::Bound::AtLeast);
  // A reading beyond the scale is the coolest step, not an index past it.
  EXPECT_EQ(seen[2].degreesCelsius(), 10);
  EXPECT_EQ(seen[2].bound(), StatusRecord::Bound::AtMost);
  EXPECT_EQ(seen[2].attenuationDb, 255);
}

}  // namespace
}  // namespace lyra
