// The channel and filter frames: slots, addresses and every payload byte from the image.

#include "edits/ChannelFrames.h"

#include <gtest/gtest.h>

namespace lyra {
namespace {

Frame Expected(std::uint8_t address, std::uint8_t group, std::uint8_t item, RowPayload payload) {
  Frame f = {0xA5, 0xA5, 0xA5, address, 0xA1, 0x00, group, item, 0x00, 0x08};
  f.insert(f.end(), payload.begin(), payload.end());
  std::uint8_t x = 0;
  for (std::size_t i = 3; i < f.size(); ++i) x ^= f[i];
  f.push_back(x);
  f.push_back(0xAA);
  return f;
}

TEST(ChannelFrames, SlotsOfEveryWay) {
  EXPECT_EQ(channelSendSlot(Way::Main), 28);
  EXPECT_EQ(filterSendSlot(Way::Main), 36);
  EXPECT_EQ(channelSendSlot(Way::High), 1);
  EXPECT_EQ(filterSendSlot(Way::High), 2);
  EXPECT_EQ(channelSendSlot(Way::Low), 7);
  EXPECT_EQ(filterSendSlot(Way::Low), 8);
}

TEST(ChannelFrames, MainChannelCarriesLevelDelayPolarityAndBothFlags) {
  PresetImage image;
  image.main.systemLevel = 286;
  image.main.bassEnhancer = 1;
  image.main.btlMode = 1;
  image.way(Way::Main).delaySteps = 407;
  image.way(Way::Main).polarity = 1;
  EXPECT_EQ(channelWriteFrame(image, Way::Main, 0x04),
            Expected(0x04, 0x03, 0x00, {0x01, 0x00, 0x1E, 0x01, 0x97, 0x01, 0x01, 0x01}));
}

TEST(ChannelFrames, HighChannelCarriesLevelMuteDelayAndPolarity) {
  PresetImage image;
  WaySettings& high = image.way(Way::High);
  high.level = 250;
  high.unmuted = 0;
  high.delaySteps = 300;
  high.polarity = 1;
  EXPECT_EQ(channelWriteFrame(image, Way::High, 0x00),
            Expected(0x00, 0x00, 0x00, {250, 0x00, 0x2C, 0x01, 0x01, 0x00, 0x00, 0x00}));
}

TEST(ChannelFrames, FilterFrameCarriesBothFilters) {
  PresetImage image;
  WaySettings& main = image.way(Way::Main);
  main.hpfFrequency = 15;
  main.hpfType = 3;
  main.lpfFrequency = 200;
  main.lpfType = 7;
  EXPECT_EQ(filterWriteFrame(image, Way::Main, 0xFF),
            Expected(0xFF, 0x04, 0x00, {15, 3, 0x00, 0x00, 200, 7, 0x00, 0x00}));
}

}  // namespace
}  // namespace lyra
