// The device answers every read the program sends, in the reply formats the program parses.

#include <gtest/gtest.h>

#include "tests/preset/ExampleBlock.h"
#include "tests/sim/DeviceBench.h"

namespace lyra {
namespace {

using test::bytesOf;
using test::hexOf;
using test::isWellFormed;

class DeviceReads : public test::DeviceBench {
 protected:
  void SetUp() override {
    DeviceBench::SetUp();
    addDevice(1);
  }
};

TEST_F(DeviceReads, TheWorkedStatusPollGetsAStatusRecordAfterAShortTurnaround) {
  const auto reply = ask(bytesOf("A5A5A500A2002B00000089AA"));
  ASSERT_TRUE(isWellFormed(reply));
  EXPECT_EQ(hexOf(reply).substr(0, 20), "A5A5A50052002B000008");
  const int reading = reply[12] << 8 | reply[13];
  EXPECT_GE(reading, 1123);
  EXPECT_LE(reading, 5118);
  EXPECT_LE(reply[14], DeviceStatus::kMaxAttenuationDb);
  EXPECT_EQ(reply[10], 0);
  EXPECT_EQ(reply[11], 0);

  // The request's last byte is on the device's side 12 byte times after the write; the reply
  // starts a few milliseconds later and moves at one byte per 1.04 ms.
  const std::int64_t requestDoneUs = SimBus::byteTimeUs(12);
  const std::int64_t firstByteUs = arrivalUs.front() - SimBus::byteTimeUs(1);
  EXPECT_GE(firstByteUs - requestDoneUs, DeviceModel::kTurnaroundUs);
  EXPECT_LE(firstByteUs - requestDoneUs,
            DeviceModel::kTurnaroundUs + DeviceModel::kTurnaroundJitterUs);
  EXPECT_EQ(arrivalUs.back() - arrivalUs.front(), SimBus::byteTimeUs(20) - SimBus::byteTimeUs(1));
}

TEST_F(DeviceReads, TheActivePresetOfANewDeviceIsTheFlatExampleBlockByteForByte) {
  EXPECT_EQ(hexOf(ask(bytesOf("A5A5A500A200280000008AAA"))), testing::kExampleBlock);
}

TEST_F(DeviceReads, LoadingASlotMakesItActiveAnswersWithItsNumberAndIsRememberedAsLastLoaded) {
  for (int slot = 1; slot <= 8; ++slot) {
    SCOPED_TRACE(slot);
    const auto reply = ask(loadStoredPreset(0x00, slot));
    ASSERT_EQ(reply.size(), 332u);
    ASSERT_TRUE(isWellFormed(reply));
    EXPECT_EQ(hexOf({reply.begin() + 3, reply.begin() + 10}),
              "0052" + hexOf({static_cast<std::uint8_t>(slot)}) + "28000140");
    const std::vector<std::uint8_t> data(reply.begin() + 10, reply.begin() + 330);
    const auto& stored = devices[0]->memory().blocks[static_cast<std::size_t>(slot - 1)];
    EXPECT_TRUE(std::equal(data.begin(), data.end(), stored.begin()));
    EXPECT_EQ(activeData(), data);
    const auto record = ask(systemRecordRead(0x00));
    ASSERT_EQ(record.size(), 20u);
    EXPECT_EQ(record[10], slot);
  }
}

TEST_F(DeviceReads, FactoryPresetsDifferFromEachOtherAndPre0IsTheFlatOne) {
  std::vector<std::vector<std::uint8_t>> seen;
  for (int slot = 1; slot <= 6; ++slot) {
    auto reply = ask(loadStoredPreset(0x00, slot));
    ASSERT_EQ(reply.size(), 332u);
    seen.emplace_back(reply.begin() + 10, reply.begin() + 330);
  }
  EXPECT_EQ(hexOf(seen[0]), testing::kExampleBlock.substr(20, 640));
  for (std::size_t a = 0; a < seen.size(); ++a)
    for (std::size_t b = a + 1; b < seen.size(); ++b) EXPECT_NE(seen[a], seen[b]) << a << " " << b;
}

TEST_F(DeviceReads, TheNameTableHoldsTwentyNamesOfTwentyBytesWithTheFactoryNamesFirst) {
  const auto reply = ask(bytesOf("A5A5A500A2002600000084AA"));
  ASSERT_EQ(reply.size(), 412u);
  ASSERT_TRUE(isWellFormed(reply));
  EXPECT_EQ(hexOf(reply).substr(6, 14), "00520026000190");
  const std::string payload(reply.begin() + 10, reply.begin() + 410);
  EXPECT_EQ(payload.substr(0, 20), std::string("Flat") + std::string(16, '\0'));
  for (int k = 0; k < 8; ++k) {
    const std::string name = payload.substr(20 * static_cast<std::size_t>(k), 20);
    EXPECT_NE(name[0], '\0') << "slot " << k + 1 << " has no name";
    EXPECT_EQ(name.back(), '\0') << "a name leaves room for its ending zero";
  }
  EXPECT_EQ(payload.substr(160), std::string(240, '\0'));
}

TEST_F(DeviceReads, StoredBlocksAnswerWithTheirNumberAndOnlyOneToTwentyExist) {
  const auto reply = ask(bytesOf("A5A5A500A201290000008AAA"));
  ASSERT_EQ(reply.size(), 332u);
  EXPECT_EQ(hexOf(reply).substr(0, 20), "A5A5A500520129000140");
  EXPECT_EQ(hexOf(ask(readStoredBlock(0x00, 20))).substr(8, 12), "521429000140");
  EXPECT_TRUE(ask(buildFrame(0x00, command::kRead, 0, group::kStoredBlock, 0, {})).empty());
  EXPECT_TRUE(ask(buildFrame(0x00, command::kRead, 21, group::kStoredBlock, 0, {})).empty());
  EXPECT_TRUE(ask(buildFrame(0x00, command::kRead, 9, group::kPresetData, 0, {})).empty());
}

TEST_F(DeviceReads, TheSystemRecordReadAnswersWithTheRecordAndTheDeviceId) {
  const auto reply =
      ask(bytesOf("A5A5A500A20021000008"
                  "0000000000000000"
                  "8BAA"));
  ASSERT_EQ(reply.size(), 20u);
  ASSERT_TRUE(isWellFormed(reply));
  EXPECT_EQ(hexOf(reply).substr(6, 14), "00520021000008");
  EXPECT_EQ(reply[10], 1);   // the flat preset was loaded last
  EXPECT_EQ(reply[13], 1);   // DeviceId
  EXPECT_LE(reply[15], 30);  // temperature limit index
}

TEST_F(DeviceReads, OnlyTheAddressedDeviceAnswersAndItSignsWithItsOwnAddress) {
  addDevice(5);
  const auto reply = ask(statusPoll(0x04));
  ASSERT_TRUE(isWellFormed(reply));
  EXPECT_EQ(reply[3], 0x04);
  EXPECT_EQ(devices[0]->framesTaken(), 0);
  EXPECT_TRUE(ask(statusPoll(0x02)).empty());
  EXPECT_EQ(devices[0]->repliesSent() + devices[1]->repliesSent(), 1);
}

TEST_F(DeviceReads, TheStatusDriftsSlowlyAndStaysPlausible) {
  // Ten minutes of the program's 500 ms poll.
  std::vector<int> readings, attenuations;
  for (int i = 0; i < 1200; ++i) {
    const auto reply = ask(statusPoll(0x00), 500);
    ASSERT_EQ(reply.size(), 20u);
    readings.push_back(reply[12] << 8 | reply[13]);
    attenuations.push_back(reply[14]);
  }
  for (std::size_t i = 1; i < readings.size(); ++i) {
    // About 60 sensor counts a degree here: half a second never moves it by a degree.
    EXPECT_LT(std::abs(readings[i] - readings[i - 1]), 60) << i;
    EXPECT_LE(std::abs(attenuations[i] - attenuations[i - 1]), 1) << i;
  }
  const auto [lo, hi] = std::minmax_element(readings.begin(), readings.end());
  EXPECT_GT(*hi - *lo, 10) << "the temperature should wander";
  EXPECT_GE(*lo, 1123);
  EXPECT_LE(*hi, 5118);
  EXPECT_GT(*std::max_element(attenuations.begin(), attenuations.end()), 0);
  EXPECT_LE(*std::max_element(attenuations.begin(), attenuations.end()),
            DeviceStatus::kMaxAttenuationDb);
}

TEST_F(DeviceReads, APinnedStatusIsReportedInTheSensorsOwnScale) {
  devices[0]->status().set(50.0, 3);
  devices[0]->status().freeze(true);
  EXPECT_EQ(hexOf(ask(statusPoll(0x00))), "A5A5A50052002B000008000007D403000000A1AA");
}

}  // namespace
}  // namespace lyra
