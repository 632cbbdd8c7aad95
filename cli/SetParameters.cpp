#include "cli/SetParameters.h"

#include <algorithm>
#include <cctype>

#include "cli/ParameterTable.h"
#include "edits/ChannelFrames.h"
#include "edits/SendBand.h"
#include "edits/TypedEdits.h"
#include "edits/ValueNames.h"
#include "model/ParameterScales.h"

namespace lyra::cli {

namespace {

enum class ValueKind { Number, OnOff, Polarity, FilterType, BandType };

struct Known {
  std::string_view name;  // for eqN.* the part after "eqN."
  SetParameter parameter;
  ValueKind kind;
  std::string_view unit;  // the unit a number may carry: "dB", "ms", "Hz"
  std::string_view what;  // for error texts
};

constexpr Known kMainParameters[] = {
    {"level", SetParameter::Level, ValueKind::Number, "dB", "a system level in dB, -60..0"},
    {"mute", SetParameter::Mute, ValueKind::OnOff, "", "on or off"},
    {"polarity", SetParameter::Polarity, ValueKind::Polarity, "", "+ or -"},
    {"delay", SetParameter::Delay, ValueKind::Number, "ms", "a delay in ms, 0..8.547"},
    {"sat.level", SetParameter::SatLevel, ValueKind::Number, "dB",
     "a satellite level in dB, -20..+5"},
    {"sat.mute", SetParameter::SatMute, ValueKind::OnOff, "", "on or off"},
    {"sat.polarity", SetParameter::SatPolarity, ValueKind::Polarity, "", "+ or -"},
    {"sat.delay", SetParameter::SatDelay, ValueKind::Number, "ms", "a delay in ms, 0..8.547"},
    {"hpf", SetParameter::Hpf, ValueKind::Number, "Hz", "a frequency in Hz, 19.7..21900"},
    {"lpf", SetParameter::Lpf, ValueKind::Number, "Hz", "a frequency in Hz, 19.7..21900"},
    {"hpf.type", SetParameter::HpfType, ValueKind::FilterType, "", ""},
    {"lpf.type", SetParameter::LpfType, ValueKind::FilterType, "", ""},
    {"bass-enhancer", SetParameter::BassEnhancer, ValueKind::OnOff, "", "on or off"},
};

constexpr Known kBandParameters[] = {
    {"freq", SetParameter::EqFrequency, ValueKind::Number, "Hz", "a frequency in Hz, 19.7..21900"},
    {"q", SetParameter::EqQ, ValueKind::Number, "", "a Q value, 0.2..36"},
    {"gain", SetParameter::EqGain, ValueKind::Number, "dB", "a gain in dB, -24..+12"},
    {"type", SetParameter::EqType, ValueKind::BandType, "", "PEQ, LS or HS"},
    {"bypass", SetParameter::EqBypass, ValueKind::OnOff, "", "on or off"},
};

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::string FilterTypeList() {
  std::string list;
  for (std::string_view name : kFilterTypeNames) {
    if (!list.empty()) list += ", ";
    list += name;
  }
  return list;
}

// The typed text as the window's edit would hold it: the unit the window shows after the value
// may follow it ("-3 dB", "80Hz"), "," is the decimal point as in the window's key filter, and a
// leading "+" is allowed where a "-" is.
std::optional<TypedNumber> ParseNumber(std::string_view text, std::string_view unit) {
  text = Trimmed(text);
  if (!unit.empty() && text.size() > unit.size() &&
      Lower(text.substr(text.size() - unit.size())) == Lower(unit)) {
    text = Trimmed(text.substr(0, text.size() - unit.size()));
  }
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::string typed(text);
  std::replace(typed.begin(), typed.end(), ',', '.');
  return ParseTypedNumber(typed);
}

std::optional<int> ParseOnOff(std::string_view text) {
  const std::string v = Lower(Trimmed(text));
  if (v == "on") return 1;
  if (v == "off") return 0;
  return std::nullopt;
}

std::optional<int> ParsePolarity(std::string_view text) {
  const std::string v = Lower(Trimmed(text));
  if (v == "+" || v == Lower(PolarityText(0))) return 0;
  if (v == "-" || v == Lower(PolarityText(1))) return 1;
  return std::nullopt;
}

template <std::size_t N>
std::optional<int> ParseName(std::string_view text, const std::array<std::string_view, N>& names) {
  const std::string v = Lower(Trimmed(text));
  for (std::size_t i = 0; i < N; ++i) {
    if (Lower(names[i]) == v) return static_cast<int>(i);
  }
  return std::nullopt;
}

}  // namespace

std::string SetParameterNames() {
  return "level, mute, polarity, delay, sat.level, sat.mute, sat.polarity, sat.delay, hpf, lpf, "
         "hpf.type, lpf.type, eqN.freq, eqN.q, eqN.gain, eqN.type, eqN.bypass (N = 1..6), "
         "bass-enhancer";
}

std::variant<Setting, std::string> ParseSetting(std::string_view argument) {
  const std::size_t equals = argument.find('=');
  if (equals == std::string_view::npos)
    return "'" + std::string(argument) + "' is not PARAM=VALUE (for example eq1.gain=-3)";
  const std::string name = Lower(Trimmed(argument.substr(0, equals)));
  const std::string_view value = argument.substr(equals + 1);
  if (name.empty()) return "'" + std::string(argument) + "' has no parameter before '='";

  const Known* known = nullptr;
  int row = 0;
  if (name.rfind("eq", 0) == 0 && name.size() > 2 &&
      std::isdigit(static_cast<unsigned char>(name[2]))) {
    const std::size_t dot = name.find('.');
    const std::string number =
        name.substr(2, dot == std::string::npos ? std::string::npos : dot - 2);
    const bool digits =
        std::all_of(number.begin(), number.end(), [](unsigned char c) { return std::isdigit(c); });
    if (!digits || number.size() > 1 || number[0] < '1' || number[0] > '6')
      return name + ": the equaliser has bands eq1..eq6";
    row = number[0] - '1';
    const std::string field = dot == std::string::npos ? "" : name.substr(dot + 1);
    for (const Known& k : kBandParameters) {
      if (k.name == field) known = &k;
    }
    if (!known) return name + ": a band has freq, q, gain, type and bypass";
  } else {
    for (const Known& k : kMainParameters) {
      if (k.name == name) known = &k;
    }
  }
  if (!known) return "unknown parameter '" + name + "'; the parameters are " + SetParameterNames();

  Setting s;
  s.parameter = known->parameter;
  s.row = row;
  s.name = name;
  s.valueText = std::string(value);
  switch (known->kind) {
    case ValueKind::Number:
      s.number = ParseNumber(value, known->unit);
      if (!s.number)
        return name + "=" + std::string(value) + ": not a number; " + name + " takes " +
               std::string(known->what);
      break;
    case ValueKind::OnOff: {
      const auto v = ParseOnOff(value);
      if (!v) return name + "=" + std::string(value) + ": " + name + " takes on or off";
      s.choice = *v;
      break;
    }
    case ValueKind::Polarity: {
      const auto v = ParsePolarity(value);
      if (!v) return name + "=" + std::string(value) + ": " + name + " takes + or -";
      s.choice = *v;
      break;
    }
    case ValueKind::FilterType: {
      const auto v = ParseName(value, kFilterTypeNames);
      if (!v) return name + "=" + std::string(value) + ": the filter types are " + FilterTypeList();
      s.choice = *v;
      break;
    }
    case ValueKind::BandType: {
      const auto v = ParseName(value, kBandTypeNames);
      if (!v) return name + "=" + std::string(value) + ": the band types are PEQ, LS and HS";
      s.choice = *v;
      break;
    }
  }
  return s;
}

int SendRow::sendSlot() const {
  switch (kind) {
    case Kind::Channel:
      return channelSendSlot(way);
    case Kind::Filters:
      return filterSendSlot(way);
    case Kind::Band:
      break;
  }
  return bandSendSlot(ToBandSlot(Way::Main, row));
}

void PresetEdit::touch(SendRow row) {
  if (std::find(rows_.begin(), rows_.end(), row) != rows_.end()) return;
  rows_.push_back(row);
  std::sort(rows_.begin(), rows_.end(),
            [](const SendRow& a, const SendRow& b) { return a.sendSlot() < b.sendSlot(); });
}

Frame PresetEdit::frameFor(const SendRow& row, std::uint8_t busAddress) const {
  switch (row.kind) {
    case SendRow::Kind::Channel:
      return channelWriteFrame(image_, row.way, busAddress);
    case SendRow::Kind::Filters:
      return filterWriteFrame(image_, row.way, busAddress);
    case SendRow::Kind::Band:
      break;
  }
  return bandWriteFrame(image_, ToBandSlot(Way::Main, row.row),
                        bypass_[static_cast<std::size_t>(row.row)], busAddress);
}

void PresetEdit::applyEqImport(const EqImport& import) {
  ApplyEqImport(import, image_);
  for (int row = 0; row < kBandsPerWay; ++row) {
    bypass_[static_cast<std::size_t>(row)] = false;
    touch({SendRow::Kind::Band, Way::Main, row});
  }
  if (import.systemLevel) touch({SendRow::Kind::Channel, Way::Main, 0});
}

SetResult PresetEdit::apply(const Setting& s) {
  constexpr std::int64_t kNano = TypedNumber::kNanosPerUnit;
  SetResult result;
  result.parameter = s.name;
  MainSettings& main = image_.main;
  WaySettings& mainWay = image_.way(Way::Main);
  WaySettings& high = image_.way(Way::High);
  const SendRow mainChannel{SendRow::Kind::Channel, Way::Main, 0};
  const SendRow highChannel{SendRow::Kind::Channel, Way::High, 0};
  const SendRow mainFilters{SendRow::Kind::Filters, Way::Main, 0};
  const SendRow band{SendRow::Kind::Band, Way::Main, s.row};
  EqBand& eq = image_.band(ToBandSlot(Way::Main, s.row));
  const TypedNumber typed = s.number.value_or(TypedNumber{});
  // A switch or list that already shows the wanted value: the window's button or list would not
  // have been touched, so nothing is sent.
  const auto choose = [&](auto& field, int wanted, SendRow row, bool already) {
    if (already) {
      result.changedNothing = true;
      return;
    }
    field = static_cast<std::remove_reference_t<decltype(field)>>(wanted);
    touch(row);
  };

  switch (s.parameter) {
    case SetParameter::Level: {
      if (main.systemLevel == 0) result.note = "also unmutes the system";
      const int position = SystemSliderPositionFromTyped(typed);  // typing never mutes
      storeSystemLevel(main, position, false);
      result.adjusted = typed.nanos != (main.systemLevel - kSystemLevelZeroDb) * (kNano / 5);
      touch(mainChannel);
      break;
    }
    case SetParameter::SatLevel: {
      high.level = static_cast<std::uint8_t>(SatelliteLevelFromTyped(typed));
      result.adjusted = typed.nanos != (high.level - kZeroDbLevelIndex) * (kNano / 10);
      touch(highChannel);
      break;
    }
    case SetParameter::Delay:
    case SetParameter::SatDelay: {
      WaySettings& w = s.parameter == SetParameter::Delay ? mainWay : high;
      w.delaySteps = static_cast<std::uint16_t>(DelayStepsFromTyped(typed));
      result.adjusted = typed.nanos != w.delaySteps * std::int64_t{21'000'000};
      touch(s.parameter == SetParameter::Delay ? mainChannel : highChannel);
      break;
    }
    case SetParameter::Hpf:
    case SetParameter::Lpf: {
      const int index = frequencyIndexFromTyped(typed);
      (s.parameter == SetParameter::Hpf ? mainWay.hpfFrequency : mainWay.lpfFrequency) =
          static_cast<std::uint8_t>(index);
      result.adjusted = ValueOf(FrequencyScale, index) != typed.value;
      touch(mainFilters);
      break;
    }
    case SetParameter::HpfType:
      choose(mainWay.hpfType, s.choice, mainFilters, mainWay.hpfType == s.choice);
      break;
    case SetParameter::LpfType:
      choose(mainWay.lpfType, s.choice, mainFilters, mainWay.lpfType == s.choice);
      break;
    case SetParameter::EqFrequency:
    case SetParameter::EqQ:
    case SetParameter::EqGain: {
      const BandField field = s.parameter == SetParameter::EqFrequency ? BandField::Frequency
                              : s.parameter == SetParameter::EqQ       ? BandField::Q
                                                                       : BandField::Gain;
      const int index = bandIndexFromTyped(field, typed);
      setBandFieldIndex(eq, field, index);
      result.adjusted = ValueOf(bandFieldScale(field), index) != typed.value;
      touch(band);
      break;
    }
    case SetParameter::EqType:
      // Both gains stay; the band now shows the one its new type uses.
      choose(eq.type, s.choice, band, eq.type == s.choice);
      break;
    case SetParameter::EqBypass: {
      bool& box = bypass_[static_cast<std::size_t>(s.row)];
      choose(box, s.choice, band, box == (s.choice == 1));
      result.stored = std::string(OnOff(box));
      return result;
    }
    case SetParameter::Mute: {
      const bool muted = main.systemLevel == 0;
      if (muted == (s.choice == 1)) {
        result.changedNothing = true;
        break;
      }
      if (muted && main.savedSystemLevel == 0) {
        result.problem = "the system stays Mute: it has no level to return to (set level= instead)";
        result.changedNothing = true;
        break;
      }
      pressSystemMute(main);
      touch(mainChannel);
      break;
    }
    case SetParameter::Polarity:
      choose(mainWay.polarity, s.choice, mainChannel, (mainWay.polarity != 0) == (s.choice == 1));
      break;
    case SetParameter::SatPolarity:
      choose(high.polarity, s.choice, highChannel, (high.polarity != 0) == (s.choice == 1));
      break;
    case SetParameter::SatMute:
      choose(high.unmuted, s.choice == 1 ? 0 : 1, highChannel,
             (high.unmuted == 0) == (s.choice == 1));
      break;
    case SetParameter::BassEnhancer:
      choose(main.bassEnhancer, s.choice, mainChannel, main.bassEnhancer == s.choice);
      break;
  }
  const std::vector<Parameter> parameters = ParametersOf(image_);
  if (const Parameter* p = FindParameter(parameters, s.name)) result.stored = p->text;
  return result;
}

}  // namespace lyra::cli
