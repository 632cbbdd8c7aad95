#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "model/ParameterScales.h"

namespace lyra {
namespace {

TEST(ParameterScales, FrequencyScaleKeepsTheDevicesAnchorsAndIrregularEntries) {
  struct Entry {
    int index;
    double hz;
  };
  const std::vector<Entry> entries = {
      {0, 19.7},   {11, 27},    {76, 179},   {77, 182},    {112, 500},   {136, 1000},  {160, 2000},
      {184, 4000}, {208, 8000}, {215, 9792}, {216, 10000}, {217, 10300}, {240, 20100}, {243, 21900},
  };
  for (const auto& e : entries) EXPECT_EQ(FrequencyScale[e.index], e.hz) << "index " << e.index;
  EXPECT_TRUE(std::is_sorted(FrequencyScale.begin(), FrequencyScale.end(),
                             [](double a, double b) { return a <= b; }));
}

TEST(ParameterScales, RegularScalesHoldTheNearestDoubleOfEachDecimal) {
  struct Entry {
    std::span<const double> scale;
    int index;
    double value;
  };
  const std::vector<Entry> entries = {
      {GainScale, 0, -24.0},
      {GainScale, 3, -23.4},
      {GainScale, 119, -0.2},
      {GainScale, 120, 0.0},
      {GainScale, 147, 5.4},
      {GainScale, 180, 12.0},
      {QScale, 0, 0.2},
      {QScale, 2, 0.6},
      {QScale, 4, 1.0},
      {QScale, 179, 36.0},
      {LevelScale, 0, -20.0},
      {LevelScale, 3, -19.7},
      {LevelScale, 200, 0.0},
      {LevelScale, 250, 5.0},
      {TemperatureScale, 0, 1123},
      {TemperatureScale, 10, 2004},
      {TemperatureScale, 30, 5118},
  };
  for (const auto& e : entries) {
    EXPECT_EQ(e.scale[static_cast<std::size_t>(e.index)], e.value) << "index " << e.index;
  }
  EXPECT_EQ(GainScale.size(), 181u);
  EXPECT_EQ(QScale.size(), 180u);
  EXPECT_EQ(LevelScale.size(), 251u);
}

TEST(ParameterScales, ValueOfReadsTheTableAndStaysInsideIt) {
  EXPECT_EQ(ValueOf(FrequencyScale, 136), 1000.0);
  EXPECT_EQ(ValueOf(FrequencyScale, 250), 21900.0);
  EXPECT_EQ(ValueOf(GainScale, -3), -24.0);
}

TEST(NearestIndex, TakesTheNearerEntryAndTheLowerOneOnATie) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* what;
    std::span<const double> scale;
    double value;
    int index;
  };
  const std::vector<Case> cases = {
      {"frequency midway 19.7/20.3", FrequencyScale, 20.0, 0},
      {"frequency just past midway", FrequencyScale, 20.01, 1},
      {"frequency above the table", FrequencyScale, 25000, 243},
      {"frequency below the table", FrequencyScale, 5, 0},
      {"frequency on an entry", FrequencyScale, 1000, 136},
      {"frequency near the irregular 179", FrequencyScale, 178, 76},
      {"gain midway -0.2/0.0", GainScale, -0.1, 119},
      {"gain a hair above midway", GainScale, -0.09, 120},
      {"gain on +12", GainScale, 12.0, 180},
      {"gain far below", GainScale, -100, 0},
      {"q 1.0", QScale, 1.0, 4},
      {"q below", QScale, 0.1, 0},
      {"q above", QScale, 40, 179},
      {"temperature 1150 nearer 1123", TemperatureScale, 1150, 0},
      {"temperature on 2004", TemperatureScale, 2004, 10},
      {"not a number", FrequencyScale, nan, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(NearestIndex(c.scale, c.value), c.index) << c.what;
}

TEST(NearestIndex, EveryEntryFindsItself) {
  for (int i = 0; i <= kMaxFrequencyIndex; ++i)
    EXPECT_EQ(NearestIndex(FrequencyScale, FrequencyScale[i]), i);
  for (int i = 0; i <= kMaxGainIndex; ++i) EXPECT_EQ(NearestIndex(GainScale, GainScale[i]), i);
  for (int i = 0; i <= kMaxQIndex; ++i) EXPECT_EQ(NearestIndex(QScale, QScale[i]), i);
}

TEST(TemperatureIndex, LimitsTheReadingBeforeTheLookup) {
  struct Case {
    double reading;
    int index;
    int celsius;
  };
  const std::vector<Case> cases = {
      {1150, 0, 70}, {2004, 10, 50}, {5118, 30, 10}, {5200, 30, 10}, {6000, 30, 10}, {0, 0, 70},
  };
  for (const auto& c : cases) {
    const int index = TemperatureIndex(c.reading);
    EXPECT_EQ(index, c.index) << c.reading;
    EXPECT_EQ(TemperatureCelsius(index), c.celsius) << c.reading;
  }
}

TEST(Delay, StepsBecomeMillisecondsMetresAndFeet) {
  struct Case {
    int steps;
    double ms, metres, feet;
  };
  const std::vector<Case> cases = {
      {0, 0.0, 0.0, 0.0},
      {50, 1.05, 0.361645, 1.186557},
      {407, 8.547, 2.943790, 9.658575},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(DelayMs(c.steps), c.ms, 1e-12) << c.steps;
    EXPECT_NEAR(DelayMetres(c.steps), c.metres, 1e-6) << c.steps;
    EXPECT_NEAR(DelayFeet(c.steps), c.feet, 1e-6) << c.steps;
  }
}

TEST(Delay, TypedMillisecondsTruncateToSteps) {
  struct Case {
    double ms;
    int steps;
  };
  const std::vector<Case> cases = {
      {1.0, 47},
      {1.05, 50},
      {0.042, 2},
      {0.02, 0},
      {0.0, 0},
      {-3.0, 0},
      {8.547, 407},
      {9.0, 407},
      {100.0, 407},
      {0.567, 27},
      {6.3, 300},
      {std::numeric_limits<double>::quiet_NaN(), 0},
      {std::numeric_limits<double>::infinity(), 407},
  };
  for (const auto& c : cases) EXPECT_EQ(DelayStepsFromMs(c.ms), c.steps) << c.ms;
}

TEST(Delay, EveryShownDelayReadsBackAsItsOwnSteps) {
  // Typing back the milliseconds a delay shows must not lose a step.
  for (int steps = 0; steps <= kMaxDelaySteps; ++steps) {
    const double shown = std::round(DelayMs(steps) * 1000.0) / 1000.0;
    EXPECT_EQ(DelayStepsFromMs(shown), steps) << shown;
  }
}

}  // namespace
}  // namespace lyra
