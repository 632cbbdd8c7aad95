#pragma once
// The constant tables that turn the device's parameter indices into hertz, decibels, Q values and
// temperature readings, and the delay conversions.
//
// The device never sees a physical value: it stores and exchanges indices into these tables, so
// the tables are reproduced entry for entry. Every entry is the nearest double to its decimal
// value; the regular tables are built as (integer / 10.0), which a division rounds correctly,
// rather than as -24.0 + 0.2 * i, which drifts off the decimal for some i.

#include <array>
#include <cstddef>
#include <span>

namespace lyra {

// Equaliser and filter frequencies in hertz. Close to 1/24 octave apart but not a formula: the
// device's list, with its irregular entries (179 Hz at 76, 10000 Hz at 216) kept as they are.
inline constexpr std::array<double, 244> FrequencyScale = {
    19.7,  20.3,  20.9,  21.5,  22.1,  22.7,  23.4,  24.1,  24.8,  25.5,  26.3,  27,    27.8,
    28.7,  29.5,  30.4,  31.3,  32.2,  33.1,  34.1,  35.1,  36.1,  37.2,  38.3,  39.4,  40.5,
    41.7,  42.9,  44.2,  45.5,  46.8,  48.2,  49.6,  51.1,  52.6,  54.1,  55.7,  57.3,  59,
    60.7,  62.5,  64.3,  66.2,  68.2,  70.2,  72.2,  74.3,  76.5,  78.7,  81.1,  83.4,  85.9,
    88.4,  91,    93.6,  96.4,  99.2,  102,   105,   108,   111,   115,   118,   121,   125,
    129,   132,   136,   140,   144,   149,   153,   158,   162,   167,   172,   179,   182,
    187,   193,   198,   204,   210,   216,   223,   229,   236,   243,   250,   257,   265,
    273,   281,   289,   297,   306,   315,   324,   334,   344,   354,   364,   375,   386,
    397,   409,   420,   433,   445,   459,   472,   486,   500,   515,   530,   545,   561,
    578,   595,   612,   630,   648,   667,   687,   707,   728,   749,   771,   794,   817,
    841,   866,   891,   917,   944,   972,   1000,  1030,  1060,  1090,  1123,  1155,  1190,
    1224,  1260,  1297,  1335,  1374,  1414,  1456,  1498,  1542,  1587,  1634,  1682,  1731,
    1782,  1834,  1888,  1943,  2000,  2059,  2119,  2181,  2245,  2311,  2378,  2448,  2520,
    2594,  2670,  2748,  2828,  2911,  2997,  3084,  3175,  3268,  3364,  3462,  3564,  3668,
    3776,  3886,  4000,  4117,  4238,  4362,  4490,  4621,  4757,  4896,  5040,  5187,  5339,
    5496,  5657,  5823,  5993,  6169,  6350,  6536,  6727,  6924,  7127,  7336,  7551,  7772,
    8000,  8234,  8476,  8724,  8980,  9243,  9514,  9792,  10000, 10300, 10600, 10900, 11300,
    11600, 11900, 12300, 12600, 13000, 13400, 13800, 14200, 14600, 15100, 15500, 16000, 16400,
    16900, 17400, 17900, 18400, 19000, 19500, 20100, 20700, 21300, 21900};

namespace scales_detail {
// Entry i is (first + step * i) / 10: tenths counted in integers, divided once.
template <std::size_t N>
constexpr std::array<double, N> TenthsTable(int first, int step) {
  std::array<double, N> t{};
  for (std::size_t i = 0; i < N; ++i) t[i] = (first + step * static_cast<int>(i)) / 10.0;
  return t;
}
}  // namespace scales_detail

// Equaliser gains: -24.0 dB at 0, 0.0 dB at 120, +12.0 dB at 180, 0.2 dB apart.
inline constexpr std::array<double, 181> GainScale = scales_detail::TenthsTable<181>(-240, 2);
// Equaliser Q: 0.2 at 0, 1.0 at 4, 36.0 at 179.
inline constexpr std::array<double, 180> QScale = scales_detail::TenthsTable<180>(2, 2);
// Output levels: -20.0 dB at 0, 0.0 dB at 200, +5.0 dB at 250, 0.1 dB apart.
inline constexpr std::array<double, 251> LevelScale = scales_detail::TenthsTable<251>(-200, 1);
// Raw readings of the device's temperature sensor; index k stands for 70 - 2k degrees Celsius.
inline constexpr std::array<double, 31> TemperatureScale = {
    1123, 1184, 1260, 1336, 1412, 1503, 1594, 1685, 1792, 1883, 2004, 2110, 2232, 2353, 2490, 2627,
    2779, 2915, 3037, 3219, 3386, 3538, 3705, 3872, 4054, 4221, 4404, 4556, 4753, 4859, 5118};

inline constexpr int kMaxFrequencyIndex = 243;
inline constexpr int kMaxGainIndex = 180;
inline constexpr int kMaxQIndex = 179;
inline constexpr int kMaxLevelIndex = 250;
inline constexpr int kMaxTemperatureIndex = 30;
inline constexpr int kZeroDbGainIndex = 120;
inline constexpr int kZeroDbLevelIndex = 200;

// The table entry at index. An index outside the table reads the nearest end instead of memory
// beyond it; callers are expected to keep indices inside.
double ValueOf(std::span<const double> scale, int index);

// The index of the entry nearest to v in an ascending table. A value exactly midway between two
// entries takes the lower index; at or below the first entry gives 0, above the last gives the
// last. NaN gives 0.
int NearestIndex(std::span<const double> scale, double v);

// A temperature reading as an index of TemperatureScale: readings above the last entry count as
// the last entry (10 degrees or less).
int TemperatureIndex(double reading);
// 70 - 2 * index: index 0 means 70 degrees or more, 30 means 10 degrees or less.
constexpr int TemperatureCelsius(int index) {
  return 70 - 2 * index;
}

// Delay: one step is 0.021 ms; sound travels one metre in 2.9034 ms; a metre is 3.281 feet.
inline constexpr double kDelayStepMs = 0.021;
inline constexpr double kMsPerMetre = 2.9034;
inline constexpr double kFeetPerMetre = 3.281;
inline constexpr int kMaxDelaySteps = 407;  // 8.547 ms, the end of the delay controls

double DelayMs(int delaySteps);
double DelayMetres(int delaySteps);
double DelayFeet(int delaySteps);
// Typed milliseconds as delay steps, truncated toward zero and limited to 0..kMaxDelaySteps.
// A value that is a whole number of steps (0.567 ms) gives exactly that many steps, although its
// quotient by 0.021 comes out a hair below the whole number in binary arithmetic.
int DelayStepsFromMs(double ms);

}  // namespace lyra
