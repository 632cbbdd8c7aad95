#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "protocol/CommandFrame.h"

namespace lyra {
namespace {

Frame bytesOf(const std::string& hex) {
  Frame f;
  std::istringstream in(hex);
  std::string b;
  while (in >> b) f.push_back(static_cast<std::uint8_t>(std::stoi(b, nullptr, 16)));
  return f;
}

struct Worked {
  const char* what;
  Frame built;
  const char* bytes;
};

TEST(CommandFrame, EveryWorkedRequestIsBuiltByteForByte) {
  const Worked worked[] = {
      {"status poll", statusPoll(0x00), "A5 A5 A5 00 A2 00 2B 00 00 00 89 AA"},
      {"status poll, broadcast", statusPoll(0xFF), "A5 A5 A5 FF A2 00 2B 00 00 00 76 AA"},
      {"read active preset", readActivePreset(0x00), "A5 A5 A5 00 A2 00 28 00 00 00 8A AA"},
      {"read NameTable", readNameTable(0x00), "A5 A5 A5 00 A2 00 26 00 00 00 84 AA"},
      {"load Pre0", loadStoredPreset(0x00, 1), "A5 A5 A5 00 A2 01 28 00 00 00 8B AA"},
      {"load Usr7", loadStoredPreset(0x00, 8), "A5 A5 A5 00 A2 08 28 00 00 00 82 AA"},
      {"read stored block 1", readStoredBlock(0x00, 1), "A5 A5 A5 00 A2 01 29 00 00 00 8A AA"},
      {"SystemRecord read", systemRecordRead(0x00),
       "A5 A5 A5 00 A2 00 21 00 00 08 00 00 00 00 00 00 00 00 8B AA"},
      {"SystemRecord write", parameterWrite(0x02, group::kSystemRecord, 0, {1, 0, 0, 12, 0, 30, 0, 0}),
       "A5 A5 A5 02 A1 00 21 00 00 08 01 00 00 0C 00 1E 00 00 99 AA"},
      {"save abc into Usr6", saveUserPresetName(0x00, 7, "abc"),
       "A5 A5 A5 00 A1 07 27 00 00 14 61 62 63 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
       "F5 AA"},
      {"upload header, active preset", uploadHeader(0x00, 0, group::kPresetData),
       "A5 A5 A5 00 A1 00 28 00 01 40"},
  };
  for (const Worked& w : worked) EXPECT_EQ(w.built, bytesOf(w.bytes)) << w.what;
}

TEST(CommandFrame, TheEnvelopeCarriesLengthBigEndianAndNeverEscapes) {
  std::vector<std::uint8_t> payload(320, 0xA5);
  payload[0] = 0xAA;
  const Frame f = buildFrame(0x04, command::kWrite, 3, group::kStoredBlock, 0, payload);
  ASSERT_EQ(f.size(), 332u);
  EXPECT_EQ(f[8], 0x01);
  EXPECT_EQ(f[9], 0x40);
  EXPECT_EQ(f[10], 0xAA);  // A5 and AA stand in the payload as they are
  EXPECT_EQ(f[331], kTrailer);
  // XOR of bytes 3..329 together with the checksum is zero.
  EXPECT_EQ(xorOf(std::span(f).subspan(3, 328)), 0);
}

TEST(CommandFrame, AnAllZeroPayloadChecksumsToTheHeaderBytesAlone) {
  const RowPayload zeros{};
  for (std::uint8_t address : std::initializer_list<std::uint8_t>{0x00, 0x7F, 0xFE, 0xFF}) {
    const Frame f = parameterWrite(address, 0x07, 0, zeros);
    EXPECT_EQ(f[18], address ^ 0xA1 ^ 0x00 ^ 0x07 ^ 0x00 ^ 0x00 ^ 0x08);
  }
}

TEST(CommandFrame, ANameLongerThanTheFieldIsCutNotOverrun) {
  const Frame f = saveUserPresetName(0x00, 8, std::string(40, 'x'));
  ASSERT_EQ(f.size(), 32u);
  EXPECT_EQ(f[5], 8);
  EXPECT_EQ(f[29], 'x');
}

TEST(CommandFrame, SendSlotsMapToTheirGroupAndItem) {
  struct Row {
    int slot, group, item;
  };
  const Row rows[] = {{1, 0x00, 0},  {2, 0x00, 1},  {3, 0x00, 2},  {4, 0x01, 0},  {8, 0x02, 1},
                      {9, 0x02, 2},  {10, 0x00, 3}, {15, 0x00, 8}, {16, 0x01, 3}, {27, 0x02, 8},
                      {28, 0x03, 0}, {29, 0x21, 0}, {30, 0x05, 0}, {35, 0x0A, 0}, {36, 0x04, 0}};
  for (const Row& r : rows) {
    EXPECT_EQ(slotTarget(r.slot).group, r.group) << "slot " << r.slot;
    EXPECT_EQ(slotTarget(r.slot).item, r.item) << "slot " << r.slot;
  }
}

}  // namespace
}  // namespace lyra
