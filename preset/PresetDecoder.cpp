#include "preset/PresetDecoder.h"

#include <algorithm>

#include "model/ParameterScales.h"

namespace lyra {

namespace {

// Data-byte positions inside the block. Each Way's part is the sequence of its ParameterRows:
// High, Mid and Low items 0..8 (72 bytes each), then Main groups 3..10 (64 bytes); 280..319 are
// not used by this program.
constexpr std::array<std::size_t, 3> kOutputWayBase = {0, 72, 144};
constexpr std::size_t kLevel = 0, kUnmuted = 1, kDelay = 2, kPolarity = 4;
constexpr std::size_t kFilterRow = 8;
constexpr std::size_t kLimiterThreshold = 16, kLimiterAttack = 17, kLimiterRelease = 18;
constexpr std::size_t kOutputFirstBand = 24;

constexpr std::size_t kBassEnhancer = 216, kSystemLevel = 218, kMainDelay = 220,
                      kMainPolarity = 222, kBtlMode = 223;
constexpr std::size_t kMainFilterRow = 224;
constexpr std::size_t kMainFirstBand = 232;

// Inside a filter row and a band row.
constexpr std::size_t kHpfFrequency = 0, kHpfType = 1, kLpfFrequency = 4, kLpfType = 5;
constexpr std::size_t kBandFrequency = 0, kBandType = 1, kPeqGain = 2, kShelfGain = 4, kQ = 6;
constexpr std::size_t kRowLength = 8;

std::uint16_t Word(const PresetData& d, std::size_t at) {
  return FromBytes(d[at], d[at + 1]);
}

void ReadFilters(const PresetData& d, std::size_t row, WaySettings& w) {
  w.hpfFrequency = d[row + kHpfFrequency];
  w.hpfType = d[row + kHpfType];
  w.lpfFrequency = d[row + kLpfFrequency];
  w.lpfType = d[row + kLpfType];
}

void ReadBands(const PresetData& d, std::size_t first, PresetImage& image, Way way) {
  for (int row = 0; row < kBandsPerWay; ++row) {
    const std::size_t at = first + kRowLength * static_cast<std::size_t>(row);
    EqBand& b = image.band(ToBandSlot(way, row));
    b.frequency = d[at + kBandFrequency];
    b.type = d[at + kBandType];
    b.peqGain = Word(d, at + kPeqGain);
    b.shelfGain = Word(d, at + kShelfGain);
    b.q = d[at + kQ];
  }
}

template <typename T>
void Limit(T& field, int maximum) {
  if (field > maximum) field = static_cast<T>(maximum);
}

}  // namespace

void DecodePresetData(const PresetData& d, PresetImage& image) {
  for (Way way : {Way::High, Way::Mid, Way::Low}) {
    const std::size_t base = kOutputWayBase[static_cast<std::size_t>(WayIndex(way))];
    WaySettings& w = image.way(way);
    w.level = d[base + kLevel];
    w.unmuted = d[base + kUnmuted];
    w.delaySteps = Word(d, base + kDelay);
    w.polarity = d[base + kPolarity];
    ReadFilters(d, base + kFilterRow, w);
    w.limiterThreshold = d[base + kLimiterThreshold];
    w.limiterAttack = d[base + kLimiterAttack];
    w.limiterRelease = d[base + kLimiterRelease];
    ReadBands(d, base + kOutputFirstBand, image, way);
  }

  WaySettings& main = image.way(Way::Main);
  main = WaySettings{};  // no level, mute or limiter of its own
  main.delaySteps = Word(d, kMainDelay);
  main.polarity = d[kMainPolarity];
  ReadFilters(d, kMainFilterRow, main);
  ReadBands(d, kMainFirstBand, image, Way::Main);

  image.main.bassEnhancer = d[kBassEnhancer];
  image.main.systemLevel = Word(d, kSystemLevel);
  image.main.savedSystemLevel = image.main.systemLevel;
  image.main.btlMode = d[kBtlMode];

  ApplyRangeRule(image);
}

bool DecodePresetBlock(std::string_view text, PresetImage& image) {
  const std::optional<PresetData> data = ReadPresetData(text);
  if (!data) return false;
  DecodePresetData(*data, image);
  return true;
}

void ApplyRangeRule(PresetImage& image) {
  Limit(image.way(Way::High).level, kMaxLevelIndex);
  Limit(image.way(Way::Mid).level, kMaxLevelIndex);
  Limit(image.way(Way::Low).level, kZeroDbLevelIndex);  // the Low output stops at 0.0 dB
  for (WaySettings& w : image.ways) {
    Limit(w.hpfFrequency, kMaxFrequencyIndex);
    Limit(w.lpfFrequency, kMaxFrequencyIndex);
    Limit(w.hpfType, kMaxFilterType);
    Limit(w.lpfType, kMaxFilterType);
  }
  for (EqBand& b : image.bands) {
    Limit(b.frequency, kMaxFrequencyIndex);
    Limit(b.type, kHighShelfBand);
    Limit(b.peqGain, kMaxGainIndex);
    Limit(b.shelfGain, kMaxGainIndex);
    Limit(b.q, kMaxQIndex);
  }
}

}  // namespace lyra
