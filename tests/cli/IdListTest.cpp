// DeviceId lists: "3", "1,3,5-8", and clear errors for everything else.

#include "cli/IdList.h"

#include <gtest/gtest.h>

namespace lyra::cli {
namespace {

std::vector<int> Ids(const char* text) {
  auto parsed = ParseIdList(text);
  if (auto* error = std::get_if<std::string>(&parsed)) {
    ADD_FAILURE() << text << ": " << *error;
    return {};
  }
  return std::get<std::vector<int>>(parsed);
}

std::string ErrorOf(const char* text) {
  auto parsed = ParseIdList(text);
  if (auto* error = std::get_if<std::string>(&parsed)) return *error;
  return "<accepted>";
}

TEST(IdList, SinglesListsAndRangesInTheOrderGivenEachOnce) {
  EXPECT_EQ(Ids("3"), (std::vector<int>{3}));
  EXPECT_EQ(Ids("1,3,5-8"), (std::vector<int>{1, 3, 5, 6, 7, 8}));
  EXPECT_EQ(Ids("9,2"), (std::vector<int>{9, 2}));
  EXPECT_EQ(Ids("4-6,5,1"), (std::vector<int>{4, 5, 6, 1})) << "a repeated id is asked once";
  EXPECT_EQ(Ids(" 1 , 2 - 3 "), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(Ids("007"), (std::vector<int>{7}));
  EXPECT_EQ(Ids("255"), (std::vector<int>{255}));
  EXPECT_EQ(Ids("1-255").size(), 255u);
  EXPECT_EQ(Ids("5-5"), (std::vector<int>{5}));
}

TEST(IdList, EveryWrongItemIsNamedWithTheReason) {
  EXPECT_EQ(ErrorOf("0"), "'0' is outside the DeviceIds 1..255");
  EXPECT_EQ(ErrorOf("256"), "'256' is outside the DeviceIds 1..255");
  EXPECT_EQ(ErrorOf("99999999999999999999"),
            "'99999999999999999999' is outside the DeviceIds 1..255");
  EXPECT_EQ(ErrorOf("1,x"), "'x' is not a DeviceId (a whole number 1..255)");
  EXPECT_EQ(ErrorOf("1.5"), "'1.5' is not a DeviceId (a whole number 1..255)");
  EXPECT_EQ(ErrorOf("8-5"), "the range '8-5' runs backwards (write 5-8)");
  EXPECT_EQ(ErrorOf("1,,3"), "'1,,3' has an empty item");
  EXPECT_EQ(ErrorOf("1,"), "'1,' has an empty item");
  EXPECT_EQ(ErrorOf(""), "the list of DeviceIds is empty");
  EXPECT_EQ(ErrorOf("-3"), "in '-3': an id is missing");
  EXPECT_EQ(ErrorOf("1-300"), "in '1-300': '300' is outside the DeviceIds 1..255");
  EXPECT_EQ(ErrorOf("1-3-5"), "in '1-3-5': '3-5' is not a DeviceId (a whole number 1..255)");
}

TEST(IdList, OneDeviceId) {
  EXPECT_EQ(std::get<int>(ParseDeviceId("12")), 12);
  EXPECT_EQ(std::get<std::string>(ParseDeviceId("1,2")),
            "'1,2' is not a DeviceId (a whole number 1..255)");
  EXPECT_EQ(std::get<std::string>(ParseDeviceId("0")), "'0' is outside the DeviceIds 1..255");
}

}  // namespace
}  // namespace lyra::cli
