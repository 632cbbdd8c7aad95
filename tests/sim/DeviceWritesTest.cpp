// What the device does with writes: parameter rows, the system record, name saves and uploads.

#include <gtest/gtest.h>

#include <numeric>

#include "tests/preset/ExampleBlock.h"
#include "tests/sim/DeviceBench.h"

namespace lyra {
namespace {

using test::bytesOf;
using test::hexOf;
using test::isWellFormed;

const std::string kPlainAck =
    "A5A5A500510000000000"
    "51AA";

class DeviceWrites : public test::DeviceBench {
 protected:
  void SetUp() override {
    DeviceBench::SetUp();
    addDevice(1);
  }
  // The upload as the program sends it: the header, then after gapMs the data, checksum and
  // trailer, in as many writes as `pieces`.
  void upload(std::uint8_t index, std::uint8_t groupByte, const std::vector<std::uint8_t>& data,
              int gapMs, int pieces = 1) {
    const Frame frame = buildFrame(0x00, command::kWrite, index, groupByte, 0, data);
    send({frame.begin(), frame.begin() + 10});
    scheduler.advanceMs(gapMs);
    const std::size_t rest = frame.size() - 10;
    for (int p = 0; p < pieces; ++p) {
      const std::size_t from =
          10 + rest * static_cast<std::size_t>(p) / static_cast<std::size_t>(pieces);
      const std::size_t to =
          10 + rest * static_cast<std::size_t>(p + 1) / static_cast<std::size_t>(pieces);
      send({frame.begin() + static_cast<long>(from), frame.begin() + static_cast<long>(to)});
      scheduler.advanceMs(30);
    }
    scheduler.advanceMs(500);
  }
};

struct RowPlace {
  std::uint8_t group, item;
  std::size_t firstByte;
};

// Where each row stands in the 320 data bytes, written out rather than computed.
const RowPlace kRowPlaces[] = {
    {0x00, 0, 0},   {0x00, 1, 8},   {0x00, 2, 16},  {0x00, 3, 24},  {0x00, 8, 64},
    {0x01, 0, 72},  {0x01, 5, 112}, {0x02, 0, 144}, {0x02, 8, 208}, {0x03, 0, 216},
    {0x04, 0, 224}, {0x05, 0, 232}, {0x07, 0, 248}, {0x0A, 0, 272},
};

TEST_F(DeviceWrites, AParameterWriteChangesExactlyItsRowInTheNextBlockReadAndIsAcknowledged) {
  for (const RowPlace& place : kRowPlaces) {
    SCOPED_TRACE("group " + std::to_string(place.group) + " item " + std::to_string(place.item));
    const auto before = activeData();
    ASSERT_EQ(before.size(), 320u);
    const RowPayload row = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, place.group};
    EXPECT_EQ(hexOf(ask(parameterWrite(0x00, place.group, place.item, row))), kPlainAck);
    const auto after = activeData();
    for (std::size_t d = 0; d < 320; ++d) {
      if (d >= place.firstByte && d < place.firstByte + 8)
        EXPECT_EQ(after[d], row[d - place.firstByte]) << "data byte " << d;
      else
        EXPECT_EQ(after[d], before[d]) << "data byte " << d;
    }
  }
}

TEST_F(DeviceWrites, RowsTheDeviceDoesNotHaveAreNeitherStoredNorAcknowledged) {
  const auto before = activeData();
  const RowPayload row = {1, 2, 3, 4, 5, 6, 7, 8};
  for (auto [groupByte, item] : {std::pair{0x00, 9}, {0x03, 1}, {0x0A, 2}, {0x0B, 0}, {0x20, 0}}) {
    EXPECT_TRUE(ask(parameterWrite(0x00, static_cast<std::uint8_t>(groupByte),
                                   static_cast<std::uint8_t>(item), row))
                    .empty());
  }
  // A row write with the wrong length is not a row write.
  const std::vector<std::uint8_t> seven(7, 0x99);
  EXPECT_TRUE(ask(buildFrame(0x00, command::kWrite, 0, 0x05, 0, seven)).empty());
  EXPECT_EQ(activeData(), before);
}

TEST_F(DeviceWrites, TheWorkedSystemRecordWriteIsAcknowledgedUnderTheOldAddressThenMoves) {
  devices.clear();
  DeviceModel& device = addDevice(3);
  send(bytesOf("A5A5A502A100210000080100000C001E000099AA"));
  // Until the acknowledgement's last byte is out the device is still DeviceId 3.
  ASSERT_TRUE(scheduler.advanceUntil([&] { return received.size() == 11; }, 1000));
  EXPECT_EQ(device.deviceId(), 3);
  scheduler.advanceMs(2);
  EXPECT_EQ(hexOf(received), "A5A5A50251002100000072AA");
  EXPECT_EQ(device.deviceId(), 12);

  EXPECT_TRUE(ask(statusPoll(0x02)).empty());
  const auto reply = ask(statusPoll(0x0B));
  ASSERT_TRUE(isWellFormed(reply));
  EXPECT_EQ(reply[3], 0x0B);
  const auto record = ask(systemRecordRead(0x0B));
  EXPECT_EQ(hexOf({record.begin() + 10, record.begin() + 18}), "0100000C001E0000");
}

TEST_F(DeviceWrites, DeviceIdZeroWouldMeanTheBroadcastAddressSoTheDeviceKeepsItsId) {
  RowPayload record = {1, 0, 0, 0, 0, 7, 0, 0};
  EXPECT_EQ(hexOf(ask(buildFrame(0x00, command::kWrite, 0, group::kSystemRecord, 0, record))),
            "A5A5A50051002100000070AA");
  EXPECT_EQ(devices[0]->deviceId(), 1);
  EXPECT_EQ(devices[0]->memory().systemRecord[5], 7);
}

TEST_F(DeviceWrites, ANameSaveStoresNameAndActivePresetInTheUserSlot) {
  // Make the active preset recognisable first.
  ask(parameterWrite(0x00, 0x05, 0, {10, 0, 150, 0, 150, 0, 9, 0}));
  const auto active = activeData();
  const auto ack = ask(bytesOf("A5A5A500A107270000146162630000000000000000000000000000000000F5AA"));
  EXPECT_EQ(hexOf(ack), kPlainAck);
  const auto names = ask(readNameTable(0x00));
  ASSERT_EQ(names.size(), 412u);
  EXPECT_EQ(hexOf({names.begin() + 130, names.begin() + 150}), "616263" + std::string(34, '0'));
  ask(loadStoredPreset(0x00, 1));  // something else active
  const auto reply = ask(loadStoredPreset(0x00, 7));
  ASSERT_EQ(reply.size(), 332u);
  EXPECT_EQ(std::vector<std::uint8_t>(reply.begin() + 10, reply.begin() + 330), active);
}

TEST_F(DeviceWrites, FactorySlotsCannotBeRenamed) {
  const auto before = devices[0]->memory().names;
  EXPECT_TRUE(ask(buildFrame(0x00, command::kWrite, 6, group::kUserPresetName, 0,
                             std::vector<std::uint8_t>(20, 'm')))
                  .empty());
  EXPECT_TRUE(ask(buildFrame(0x00, command::kWrite, 9, group::kUserPresetName, 0,
                             std::vector<std::uint8_t>(20, 'x')))
                  .empty());
  EXPECT_EQ(devices[0]->memory().names, before);
}

TEST_F(DeviceWrites, AnActivePresetUploadInTwoPiecesLandsWholeWithoutAReply) {
  std::vector<std::uint8_t> data(320);
  std::iota(data.begin(), data.end(), 0);  // every byte value the block can carry, A5 and AA too
  received.clear();
  upload(0, group::kPresetData, data, 100, 3);
  EXPECT_TRUE(received.empty());
  EXPECT_EQ(activeData(), data);
}

TEST_F(DeviceWrites, TheExampleBlockUploadedAsBlock3EndsAsTheProgramComputesIt) {
  // The program's own upload of the example data as stored block 3 ends in 3C AA.
  auto rest = bytesOf(testing::kExampleBlock.substr(20, 640));
  rest.push_back(0x3C);
  rest.push_back(0xAA);
  send(bytesOf("A5A5A500A10329000140"));
  scheduler.advanceMs(50);
  send(rest);
  scheduler.advanceMs(500);
  const auto reply = ask(readStoredBlock(0x00, 3));
  EXPECT_EQ(hexOf(reply).substr(20, 640), testing::kExampleBlock.substr(20, 640));
}

TEST_F(DeviceWrites, AllTwentyStoredBlocksRoundTripAndABrokenUploadChangesNothing) {
  for (int n = 1; n <= 20; ++n) {
    std::vector<std::uint8_t> data(320, static_cast<std::uint8_t>(n));
    data[0] = static_cast<std::uint8_t>(0xA0 + n);
    upload(static_cast<std::uint8_t>(n), group::kStoredBlock, data, 50);
  }
  for (int n = 1; n <= 20; ++n) {
    const auto reply = ask(readStoredBlock(0x00, n));
    ASSERT_EQ(reply.size(), 332u) << n;
    EXPECT_EQ(reply[10], 0xA0 + n);
    EXPECT_EQ(reply[329], n);
  }
  // One byte lost on the way: the checksum no longer matches and the block stays as it was.
  Frame frame = buildFrame(0x00, command::kWrite, 4, group::kStoredBlock, 0,
                           std::vector<std::uint8_t>(320, 0x77));
  frame.erase(frame.begin() + 100);
  ask(frame);
  EXPECT_EQ(ask(readStoredBlock(0x00, 4))[10], 0xA4);
}

}  // namespace
}  // namespace lyra
