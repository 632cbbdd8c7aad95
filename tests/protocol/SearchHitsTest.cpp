// The bus search's table of hits, its progress in percent and the result list's lines.

#include <gtest/gtest.h>

#include "protocol/SearchHits.h"

namespace lyra {
namespace {

std::string com(int n) {
  return "COM" + std::to_string(n);
}

TEST(SearchProgress, ExactHalvesGoToTheEvenPercent) {
  struct Case {
    int k, address, ports, perPort, percent;
  };
  const Case cases[] = {
      // One port of 256: 32 probes are 12.5 %, 96 are 37.5 %, 160 are 62.5 %, 224 are 87.5 %.
      {1, 31, 1, 256, 12},
      {1, 95, 1, 256, 38},
      {1, 223, 1, 256, 88},
      {1, 0, 1, 256, 0},  // 0.39 %
      {1, 1, 1, 256, 1},  // 0.78 %
      {1, 255, 1, 256, 100},
      // Two ports: the second starts at half way.
      {2, 0, 2, 256, 50},  // 50.2 %
      {1, 127, 2, 256, 25},
      // The start-up search: ten probes a port, four ports, 2.5 % a probe.
      {1, 0, 4, 10, 2},
      {1, 2, 4, 10, 8},
      {1, 4, 4, 10, 12},
      {2, 0, 4, 10, 28},  // 27.5 %
      // Three ports: thirds never make a half.
      {1, 0, 3, 10, 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(searchProgressPercent(c.k, c.address, c.ports, c.perPort), c.percent)
        << "port " << c.k << " of " << c.ports << ", address " << c.address;
  }
}

TEST(SearchProgress, NoPortsIsNoProgressRatherThanADivisionByZero) {
  EXPECT_EQ(searchProgressPercent(1, 0, 0, 256), 0);
  EXPECT_EQ(roundHalfToEven(5, 2), 2);
  EXPECT_EQ(roundHalfToEven(7, 2), 4);
  EXPECT_EQ(roundHalfToEven(0, 7), 0);
}

TEST(SearchHitsTable, RecordsPerPortAndAddressAndIgnoresWhatNamesNoProbe) {
  SearchHits hits;
  hits.record(3, 0);
  hits.record(3, 0);  // the same hit twice is one hit
  hits.record(3, 255);
  hits.record(300, 4);  // a COM number beyond 255 is still a port
  hits.record(-1, 4);   // no port
  hits.record(3, 256);
  hits.record(3, -1);
  EXPECT_EQ(hits.count(), 3);
  EXPECT_TRUE(hits.hit(3, 0));
  EXPECT_TRUE(hits.hit(3, 255));
  EXPECT_TRUE(hits.hit(300, 4));
  EXPECT_FALSE(hits.hit(-1, 4));
  EXPECT_FALSE(hits.hit(3, 1));
  EXPECT_FALSE(hits.hit(4, 0));
  hits.clear();
  EXPECT_EQ(hits.count(), 0);
  EXPECT_TRUE(hits.resultLines(com).empty());
}

TEST(SearchResultText, TheFifthHitOpensTheSecondLineAndEveryLineAfterHoldsFive) {
  SearchHits hits;
  for (int a = 0; a < 15; ++a) hits.record(a < 7 ? 4 : 2, a);  // COM2 listed before COM4
  const auto lines = hits.resultLines(com);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0],
            "COM2--Device ID8 , COM2--Device ID9 , COM2--Device ID10 , COM2--Device ID11 , ");
  EXPECT_EQ(lines[1],
            "COM2--Device ID12 , COM2--Device ID13 , COM2--Device ID14 , COM2--Device ID15 , "
            "COM4--Device ID1 , ");
  EXPECT_EQ(lines[2], std::string("COM4--Device ID2 , COM4--Device ID3 , COM4--Device ID4 , ") +
                          "COM4--Device ID5 , COM4--Device ID6 , ");
  EXPECT_EQ(lines[3], "COM4--Device ID7 , ");
}

}  // namespace
}  // namespace lyra
