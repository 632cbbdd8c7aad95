#include <gtest/gtest.h>

#include <vector>

#include "preset/ParameterRow.h"

namespace lyra {
namespace {

// An image whose fields all differ, so that a field in the wrong byte shows.
PresetImage DistinctImage() {
  PresetImage image;
  image.way(Way::High) = {.level = 230,
                          .unmuted = 1,
                          .delaySteps = 300,
                          .polarity = 1,
                          .hpfFrequency = 12,
                          .hpfType = 5,
                          .lpfFrequency = 200,
                          .lpfType = 8,
                          .limiterThreshold = 19,
                          .limiterAttack = 6,
                          .limiterRelease = 3};
  image.way(Way::Low).level = 77;
  image.way(Way::Low).delaySteps = 0x1234;
  image.way(Way::Main) = {.delaySteps = 407,
                          .polarity = 1,
                          .hpfFrequency = 33,
                          .hpfType = 2,
                          .lpfFrequency = 243,
                          .lpfType = 7};
  image.main = {.systemLevel = 301, .savedSystemLevel = 250, .bassEnhancer = 1, .btlMode = 9};
  image.band(ToBandSlot(Way::Mid, 2)) = {
      .frequency = 136, .type = kLowShelfBand, .peqGain = 90, .shelfGain = 150, .q = 179};
  image.band(ToBandSlot(Way::Main, 5)) = {
      .frequency = 243, .type = kHighShelfBand, .peqGain = 0x0102, .shelfGain = 180, .q = 0};
  image.system = {
      .lastPresetNumber = 7, .storedBytes = {0xAB, 0xCD}, .deviceId = 42, .temperatureLimit = 30};
  return image;
}

TEST(ParameterRow, EachRowCarriesItsFieldsInDeviceOrder) {
  const PresetImage image = DistinctImage();
  struct Case {
    const char* what;
    ParameterRow row;
    ParameterRow bytes;
  };
  const std::vector<Case> cases = {
      {"High channel", ChannelRow(image, Way::High), {230, 1, 0x2C, 0x01, 1, 0, 0, 0}},
      {"Low channel", ChannelRow(image, Way::Low), {77, 1, 0x34, 0x12, 0, 0, 0, 0}},
      {"Main channel", ChannelRow(image, Way::Main), {1, 0, 0x2D, 0x01, 0x97, 0x01, 1, 9}},
      {"High filters", FilterRow(image, Way::High), {12, 5, 0, 0, 200, 8, 0, 0}},
      {"Main filters", FilterRow(image, Way::Main), {33, 2, 0, 0, 243, 7, 0, 0}},
      {"High limiter", LimiterRow(image, Way::High), {19, 6, 3, 0, 0, 0, 0, 0}},
      {"Mid band 3", BandRow(image, 8), {136, 1, 90, 0, 150, 0, 179, 0}},
      {"Main band 6", BandRow(image, 23), {243, 2, 0x02, 0x01, 180, 0, 0, 0}},
      {"start-up band", BandRow(PresetImage{}, 5), {136, 0, 120, 0, 120, 0, 4, 0}},
      {"system", SystemRow(image.system), {7, 0xAB, 0xCD, 42, 0, 30, 0, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.row, c.bytes) << c.what;
}

TEST(RowAddress, GroupsAndItemsFollowTheDevicesParameterMemory) {
  struct Case {
    RowAddress address;
    RowAddress expected;
  };
  const std::vector<Case> cases = {
      {ChannelRowAddress(Way::High), {0, 0}},
      {ChannelRowAddress(Way::Low), {2, 0}},
      {ChannelRowAddress(Way::Main), {3, 0}},
      {FilterRowAddress(Way::Mid), {1, 1}},
      {FilterRowAddress(Way::Main), {4, 0}},
      {LimiterRowAddress(Way::Low), {2, 2}},
      {BandRowAddress(0), {0, 3}},
      {BandRowAddress(17), {2, 8}},
      {BandRowAddress(18), {5, 0}},
      {BandRowAddress(23), {10, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.address.group, c.expected.group);
    EXPECT_EQ(c.address.item, c.expected.item);
  }
}

TEST(RowAddress, AddressesWithoutARowBuildNothing) {
  const PresetImage image;
  for (RowAddress a : std::vector<RowAddress>{
           {0, 9}, {3, 1}, {4, 2}, {10, 1}, {11, 0}, {0x21, 1}, {0x28, 0}, {0xFF, 0}}) {
    EXPECT_FALSE(BuildParameterRow(image, a).has_value()) << int{a.group} << "/" << int{a.item};
  }
}

}  // namespace
}  // namespace lyra
