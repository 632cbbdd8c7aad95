// The reply parser fed through the serial link's receive path: bytes arrive on the simulated bus
// at line speed and reach the parser in the notifications the link makes of them.

#include <gtest/gtest.h>

#include "preset/ReplyParser.h"
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
    h.statusText = [this](const std::string& t) { log.push_back("status:" + t); };
    h.lastLoadedPreset = [this](const std::string& t) { log.push_back("label:" + t); };
    h.presetDecoded = [this] { log.push_back("decoded"); };
    h.namesArrived = [this] { log.push_back("names"); };
    ASSERT_TRUE(link.openPort("COM3"));
    link.startReader();
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
  PresetImage image;
  WaitingFlags flags;
  PresetTransfer transfer;
  ReplyParser parser{link, image, timers, pump, address, flags, transfer};
  std::vector<std::string> log;
  int calls = 0;
};

TEST_F(ReplyParserTest, TextThatCannotStartAReplyIsThrownAway) {
  arrive({0xA5, 0xA5});  // two bytes of a reply that never came whole
  EXPECT_EQ(link.ReceiveText, "");
  arrive({0x00, 0x52});
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

TEST_F(ReplyParserTest, AStatusEndsTheCallSoASystemRecordBehindItWaitsForTheNextBytes) {
  arrive(statusReply(1150, 0) + systemReply(8));
  EXPECT_EQ(log, std::vector<std::string>{
                     "status:Internal Temperature: >=70 'C |   Attenuation dB:  0 dB"});
  EXPECT_EQ(link.ReceiveText.size(), 40u);
  arrive(statusReply(6000, 12));
  EXPECT_EQ(log, (std::vector<std::string>{
                     "status:Internal Temperature: >=70 'C |   Attenuation dB:  0 dB",
                     "label:Last loaded preset:Usr7         ",
                     "status:Internal Temperature: <=10 'C |   Attenuation dB:  12 dB"}));
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

TEST_F(ReplyParserTest, AnAcknowledgementFinishesOnlyTheOperationWaitingForIt) {
  flags.IdAckAwaited = 1;
  arrive(reply(command::kAcknowledge, group::kSystemRecord, {}) + systemReply(2));
  EXPECT_EQ(flags.IdAckAwaited, 0);
  EXPECT_TRUE(timers.Timer2.isActive());
  // The SystemRecord behind the acknowledgement is decoded by the next call.
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(link.ReceiveText.size(), 40u);
  arrive({0x00});
  EXPECT_EQ(log, std::vector<std::string>{"label:Last loaded preset:Pre1         "});

  arrive(reply(command::kAcknowledge, 0x00, {}));  // a name save nobody waits for
  EXPECT_FALSE(timers.Timer11.isActive());
  flags.SaveAckAwaited = 1;
  arrive(reply(command::kAcknowledge, 0x00, {}));
  EXPECT_EQ(flags.SaveAckAwaited, 0);
  EXPECT_TRUE(timers.Timer11.isActive());
}

TEST_F(ReplyParserTest, TheConnectBlockIsDecodedAndTheNamesAreAskedForAtOnce) {
  timers.chcon112.start();
  pump.queueParameterWrite(30, parameterWrite(0, 0x05, 0, {}));
  arrive(bytesOfHex(testing::kExampleBlock));
  EXPECT_EQ(log, std::vector<std::string>{"decoded"});
  EXPECT_FALSE(timers.chcon112.isActive());
  EXPECT_FALSE(pump.isPending(30));  // nothing of the refresh is sent back
  EXPECT_EQ(image.way(Way::High).level, 200);
  ASSERT_EQ(bus.writes("COM3").size(), 1u);
  EXPECT_EQ(bus.writes("COM3")[0].bytes, readNameTable(0x00));
}

TEST_F(ReplyParserTest, NamesEndAtTheirFirstZeroByteAndStartThePump) {
  timers.chcon188.start();
  std::vector<std::uint8_t> names(400, 0);
  const std::string rock = "Rock";
  std::copy(rock.begin(), rock.end(), names.begin());
  names[20 * 7] = 'U';
  names[20 * 7 + 1] = 0;
  names[20 * 7 + 2] = 'x';  // after the zero: stored, not shown
  arrive(reply(command::kReadReply, group::kNameTable, names));
  EXPECT_EQ(log, std::vector<std::string>{"names"});
  EXPECT_EQ(image.names.shown(0), "Rock");
  EXPECT_EQ(image.names.shown(7), "U");
  EXPECT_EQ(image.names.names[7][2], 'x');
  EXPECT_FALSE(timers.chcon188.isActive());
  EXPECT_EQ(link.ReceiveText, "");
  // The pump took the SystemRecord read at once; it is written 200 ms later and the poll
  // starts 300 ms after that.
  EXPECT_EQ(pump.takenSlot(), kSystemRecordReadSlot);
  scheduler.advanceMs(500);
  ASSERT_EQ(bus.writes("COM3").size(), 1u);
  EXPECT_EQ(bus.writes("COM3")[0].bytes, systemRecordRead(0x00));
  EXPECT_TRUE(timers.Timer1.isActive());
  EXPECT_TRUE(timers.sendTimer.isActive());
}

TEST_F(ReplyParserTest, ABlockForAFileChangesNothingInTheImage) {
  flags.SaveActiveToPc = 1;
  const PresetImage before = image;
  arrive(bytesOfHex(testing::kExampleBlock));
  EXPECT_EQ(image, before);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(flags.SaveActiveToPc, 0);
  EXPECT_EQ(transfer.presetList, std::vector<std::string>{testing::kExampleBlock});
  EXPECT_EQ(transfer.linesToSave, transfer.presetList);
  EXPECT_TRUE(timers.FSaveDialog3.isActive());
}

TEST_F(ReplyParserTest, StoredBlocksAreCollectedOnlyWhileSaveAllWaitsForThem) {
  Frame block = bytesOfHex(testing::kExampleBlock);
  block[6] = group::kStoredBlock;
  arrive(block);  // nobody collects: it stays at the front, unconsumed
  EXPECT_EQ(link.ReceiveText.size(), 664u);
  link.ReceiveText.clear();
  flags.CollectAllBlocks = 1;
  timers.Timer9.start();
  for (int n = 1; n <= 20; ++n) {
    block[5] = static_cast<std::uint8_t>(n);
    arrive(block);
  }
  EXPECT_EQ(transfer.presetList.size(), 20u);
  EXPECT_EQ(transfer.presetList[19].substr(10, 2), "14");  // index byte 20, in arrival order
  EXPECT_EQ(flags.CollectAllBlocks, 0);
  EXPECT_EQ(transfer.collectedBlocks, 0);
  EXPECT_FALSE(timers.Timer9.isActive());
  EXPECT_EQ(transfer.linesToSave, transfer.presetList);
  EXPECT_TRUE(timers.FSaveDialog4.isActive());
}

TEST_F(ReplyParserTest, ASearchProbeAnsweredMarksAHit) {
  int hits = 0;
  parser.hooks.searchHit = [&] { ++hits; };
  arrive(statusReply(2004, 0));
  EXPECT_EQ(hits, 0);
  flags.Searching = 1;
  arrive(statusReply(2004, 0));
  EXPECT_EQ(hits, 1);
}

}  // namespace
}  // namespace lyra
