#include "cli/ParameterTable.h"

#include <array>

#include "edits/TypedEdits.h"
#include "edits/ValueNames.h"
#include "model/ParameterScales.h"
#include "model/ValueFormat.h"

namespace lyra::cli {

namespace {

// The limiter's times in ms; the window keeps no control for them. They are written as every
// time of `show` is, the delays' way: "0.500 ms", "90.000 ms".
constexpr std::array<double, 7> kAttackMs = {0.5, 1, 2, 5, 10, 20, 50};
constexpr std::array<double, 7> kReleaseMs = {90, 200, 500, 700, 1200, 2000, 5000};
constexpr int kMaxThresholdIndex = 19;  // "0dBu"

PhysicalValue Number(double v) {
  return {.kind = PhysicalValue::Kind::Number, .number = v, .flag = false, .name = {}};
}
PhysicalValue Flag(bool v) {
  return {.kind = PhysicalValue::Kind::Flag, .number = 0.0, .flag = v, .name = {}};
}
PhysicalValue Name(std::string_view v) {
  return {.kind = PhysicalValue::Kind::Name, .number = 0.0, .flag = false, .name = std::string(v)};
}

std::string OutsideList(int index) {
  return "index " + std::to_string(index) + " (outside the list)";
}

class Table {
 public:
  explicit Table(std::vector<Parameter>& out) : out_(out) {}

  bool carried = false;
  std::string prefix;

  void add(std::string_view key, int index, PhysicalValue value, std::string text) {
    Parameter p;
    p.key = prefix + std::string(key);
    p.index = index;
    p.value = std::move(value);
    p.text = std::move(text);
    p.carried = carried;
    out_.push_back(std::move(p));
  }

  void onOff(std::string_view key, int index, bool on) {
    add(key, index, Flag(on), std::string(OnOff(on)));
  }

  void polarity(std::string_view key, std::uint8_t polarity) {
    add(key, polarity, Name(polarity != 0 ? "-" : "+"), std::string(PolarityText(polarity)));
  }

  void delay(std::string_view key, int steps) {
    add(key, steps, Number(DelayMs(steps)), DelayText(steps));
    out_.back().metres = DelayMetres(steps);
    out_.back().feet = DelayFeet(steps);
  }

  void frequency(std::string_view key, int index) {
    const double hz = ValueOf(FrequencyScale, index);
    add(key, index, Number(hz), FormatFrequency(hz));
  }

  void filterType(std::string_view key, int type) {
    if (type < static_cast<int>(kFilterTypeNames.size())) {
      const std::string_view name = kFilterTypeNames[static_cast<std::size_t>(type)];
      add(key, type, Name(name), std::string(name));
    } else {
      add(key, type, {}, OutsideList(type));
    }
  }

  void filters(const WaySettings& w) {
    frequency("hpf", w.hpfFrequency);
    filterType("hpf.type", w.hpfType);
    frequency("lpf", w.lpfFrequency);
    filterType("lpf.type", w.lpfType);
  }

  void outputLevel(std::string_view key, std::uint8_t level) {
    add(key, level, Number((level - kZeroDbLevelIndex) / 10.0), OutputLevelText(level));
  }

  void limiter(const WaySettings& w) {
    if (w.limiterThreshold <= kMaxThresholdIndex) {
      const int dbu = w.limiterThreshold - kMaxThresholdIndex;
      add("limiter.threshold", w.limiterThreshold, Number(dbu), std::to_string(dbu) + "dBu");
    } else {
      add("limiter.threshold", w.limiterThreshold, {}, OutsideList(w.limiterThreshold));
    }
    time("limiter.attack", w.limiterAttack, kAttackMs);
    time("limiter.release", w.limiterRelease, kReleaseMs);
  }

  // The four fields a band's row shows; the gain its type does not use is carried, named by its
  // field.
  void band(int row, const EqBand& b, bool unusedGainCarried) {
    const std::string eq = "eq" + std::to_string(row + 1) + ".";
    const struct {
      const char* name;
      BandField field;
    } fields[] = {{"freq", BandField::Frequency}, {"q", BandField::Q}, {"gain", BandField::Gain}};
    for (const auto& f : fields) {
      const int index = bandFieldIndex(b, f.field);
      add(eq + f.name, index, Number(ValueOf(bandFieldScale(f.field), index)),
          bandFieldText(b, f.field));
    }
    const std::string_view type = kBandTypeNames[std::min<std::size_t>(b.type, 2)];
    add(eq + "type", b.type, Name(type), std::string(type));
    const bool wasCarried = carried;
    carried = carried || unusedGainCarried;
    const bool peq = b.type == kPeakingBand;
    const std::uint16_t unused = peq ? b.shelfGain : b.peqGain;
    const double db = ValueOf(GainScale, unused);
    add(eq + (peq ? "shelf-gain" : "peq-gain"), unused, Number(db), FormatDb(db));
    carried = wasCarried;
  }

  void bands(const PresetImage& image, Way way, bool unusedGainCarried) {
    for (int row = 0; row < kBandsPerWay; ++row)
      band(row, image.band(ToBandSlot(way, row)), unusedGainCarried);
  }

 private:

  template <std::size_t N>
  void time(std::string_view key, int index, const std::array<double, N>& ms) {
    if (index < static_cast<int>(N)) {
      const double value = ms[static_cast<std::size_t>(index)];
      add(key, index, Number(value), FormatMs(value));
    } else {
      add(key, index, {}, OutsideList(index));
    }
  }

  std::vector<Parameter>& out_;
};

}  // namespace

std::string_view OnOff(bool on) {
  return on ? "on" : "off";
}

std::string DelayText(int delaySteps) {
  return FormatMs(DelayMs(delaySteps)) + " / " + FormatMetres(DelayMetres(delaySteps)) + " / " +
         FormatFeet(DelayFeet(delaySteps));
}

std::vector<Parameter> ParametersOf(const PresetImage& image) {
  std::vector<Parameter> out;
  Table t(out);
  const MainSettings& main = image.main;
  const WaySettings& mainWay = image.way(Way::Main);
  const WaySettings& high = image.way(Way::High);

  // The Main path, as the window's SYSTEM, SYSTEM DELAY, HIGH PASS/LOW PASS and SYSTEM
  // EQUALIZATION boxes show it.
  {
    const bool muted = main.systemLevel == 0;
    const int fifths = main.systemLevel - kSystemLevelZeroDb;
    t.add("level", main.systemLevel, muted ? PhysicalValue{} : Number(fifths * 2 / 10.0),
          SystemLevelText(main.systemLevel));
    t.onOff("mute", main.systemLevel, muted);
  }
  t.polarity("polarity", mainWay.polarity);
  t.delay("delay", mainWay.delaySteps);
  t.filters(mainWay);
  // The gain a band's type does not use follows each band, carried.
  for (int row = 0; row < kBandsPerWay; ++row)
    t.band(row, image.band(ToBandSlot(Way::Main, row)), true);
  if (main.bassEnhancer <= 1) {
    t.onOff("bass-enhancer", main.bassEnhancer, main.bassEnhancer == 1);
  } else {
    t.add("bass-enhancer", main.bassEnhancer, {}, "value " + std::to_string(main.bassEnhancer));
  }
  // The satellite output is the High Way's channel.
  t.outputLevel("sat.level", high.level);
  t.onOff("sat.mute", high.unmuted, high.unmuted == 0);
  t.polarity("sat.polarity", high.polarity);
  t.delay("sat.delay", high.delaySteps);

  t.carried = true;
  t.onOff("btl", main.btlMode, main.btlMode != 0);
  t.prefix = "high.";
  t.filters(high);
  t.limiter(high);
  t.bands(image, Way::High, true);
  for (Way way : {Way::Mid, Way::Low}) {
    const WaySettings& w = image.way(way);
    t.prefix = way == Way::Mid ? "mid." : "low.";
    t.outputLevel("level", w.level);
    t.onOff("mute", w.unmuted, w.unmuted == 0);
    t.polarity("polarity", w.polarity);
    t.delay("delay", w.delaySteps);
    t.filters(w);
    t.limiter(w);
    t.bands(image, way, true);
  }
  return out;
}

const Parameter* FindParameter(const std::vector<Parameter>& parameters, std::string_view key) {
  for (const Parameter& p : parameters) {
    if (p.key == key) return &p;
  }
  return nullptr;
}

}  // namespace lyra::cli
