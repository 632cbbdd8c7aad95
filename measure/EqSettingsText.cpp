#include "measure/EqSettingsText.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "edits/TypedEdits.h"
#include "model/ParameterScales.h"

namespace lyra {

namespace {

using Tokens = std::vector<std::string_view>;

bool IsSpace(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (IsSpace(s.front()) || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (IsSpace(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

Tokens Split(std::string_view s) {
  Tokens tokens;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsSpace(s[i])) ++i;
    const std::size_t start = i;
    while (i < s.size() && !IsSpace(s[i])) ++i;
    if (i > start) tokens.push_back(s.substr(start, i - start));
  }
  return tokens;
}

bool Same(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && Same(s.substr(0, prefix.size()), prefix);
}

bool AllDigits(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "-3.0", "+6", "4.00": a leading "+" is allowed here, where the typed fields do not need it.
std::optional<TypedNumber> Number(std::string_view s) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  return ParseTypedNumber(s);
}

std::string LineError(int line, std::string_view what) {
  return "line " + std::to_string(line) + ": " + std::string(what);
}

// Equalizer APO's other commands: not header text, and nothing this import carries out.
constexpr std::array<std::string_view, 9> kApoCommands = {
    "Channel:", "Device:", "Include:", "Convolution:", "GraphicEQ:",
    "Delay:",   "Copy:",   "Eval:",    "Stage:"};

// The tokens after "Filter:", "Filter 3:", "Filter3:"; nullopt for a line that is not a filter.
std::optional<Tokens> FilterBody(const Tokens& t) {
  if (t.empty() || !StartsWith(t[0], "Filter")) return std::nullopt;
  const std::string_view head = t[0].substr(6);
  if (head == ":") return Tokens(t.begin() + 1, t.end());
  if (head.size() > 1 && head.back() == ':' && AllDigits(head.substr(0, head.size() - 1)))
    return Tokens(t.begin() + 1, t.end());
  if (head.empty() && t.size() > 1 && t[1].size() > 1 && t[1].back() == ':' &&
      AllDigits(t[1].substr(0, t[1].size() - 1)))
    return Tokens(t.begin() + 2, t.end());
  return std::nullopt;
}

// LS and HS (REW's shelves) carry no Q; LSC and HSC usually do. A shelf without Q is stored
// with the Q entry nearest 0.707.
struct TypeName {
  std::string_view name;
  std::uint8_t type;
};
constexpr std::array<TypeName, 6> kTypes = {{{"PK", kPeakingBand},
                                             {"PEQ", kPeakingBand},
                                             {"LSC", kLowShelfBand},
                                             {"HSC", kHighShelfBand},
                                             {"LS", kLowShelfBand},
                                             {"HS", kHighShelfBand}}};
// Filter types of the measurement tools that the equaliser cannot be: named in the refusal.
constexpr std::array<std::string_view, 9> kMissingTypes = {"HP",  "LP", "HPQ", "LPQ", "HP1",
                                                           "LP1", "NO", "AP",  "BP"};

// One filter line's body; the error without its line number.
std::variant<GivenFilter, std::string> ParseFilter(const Tokens& body) {
  GivenFilter f;
  if (body.empty()) return std::string("a filter line needs ON or OFF and a type");
  if (Same(body[0], "ON")) {
    f.active = true;
  } else if (Same(body[0], "OFF")) {
    f.active = false;
  } else {
    return "\"" + std::string(body[0]) + "\" is neither ON nor OFF";
  }
  if (body.size() < 2) return std::string("the filter has no type");
  if (Same(body[1], "None")) {
    if (body.size() > 2) return std::string("a filter of type None takes no values");
    f.active = false;
    return f;
  }
  const auto known = std::find_if(kTypes.begin(), kTypes.end(),
                                  [&](const TypeName& t) { return Same(t.name, body[1]); });
  if (known == kTypes.end()) {
    const bool missing = std::any_of(kMissingTypes.begin(), kMissingTypes.end(),
                                     [&](std::string_view m) { return Same(m, body[1]); });
    return "the equaliser has no filter of type " + std::string(body[1]) +
           (missing ? " (its bands are PK, LSC or HSC)" : " (a type this import does not know)");
  }
  f.type = known->type;
  for (std::size_t i = 2; i < body.size();) {
    const std::string_view key = body[i];
    std::optional<TypedNumber>* slot = nullptr;
    std::string_view unit;
    if (Same(key, "Fc")) {
      slot = &f.frequency;
      unit = "Hz";
    } else if (Same(key, "Gain")) {
      slot = &f.gain;
      unit = "dB";
    } else if (Same(key, "Q")) {
      slot = &f.q;
    } else {
      return "\"" + std::string(key) + "\" is not Fc, Gain or Q";
    }
    if (slot->has_value()) return std::string(key) + " is given twice";
    if (i + 1 >= body.size()) return std::string(key) + " has no value";
    *slot = Number(body[i + 1]);
    if (!slot->has_value())
      return std::string(key) + " \"" + std::string(body[i + 1]) + "\" is not a number";
    i += 2;
    if (!unit.empty() && i < body.size() && Same(body[i], unit)) ++i;
  }
  if (f.frequency && f.frequency->nanos <= 0) return std::string("Fc must be above 0 Hz");
  if (f.q && f.q->nanos <= 0) return std::string("Q must be above 0");
  if (f.active) {
    if (!f.frequency || !f.gain) return std::string("an active filter needs Fc and Gain");
    if (f.type == kPeakingBand && !f.q) return std::string("a PK filter needs its Q");
  }
  return f;
}

}  // namespace

std::variant<EqSettings, std::string> ParseEqSettings(std::string_view bytes) {
  if (bytes.size() > kMaxEqSettingsBytes)
    return std::string("the file is larger than 1 MB; equaliser settings are a few lines of text");
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  EqSettings settings;
  bool sawContent = false;
  bool sawFilter = false;
  int activeCount = 0;
  int lineNumber = 0;
  while (!bytes.empty()) {
    ++lineNumber;
    const std::size_t end = std::min(bytes.find('\n'), bytes.size());
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(std::min(end + 1, bytes.size()));
    for (char c : line) {
      const auto u = static_cast<unsigned char>(c);
      if ((u < 0x20 && c != '\t' && c != '\r') || u == 0x7F)
        return LineError(lineNumber, "the file is not text (it holds control bytes)");
    }
    line = Trim(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    sawContent = true;
    const Tokens tokens = Split(line);
    if (Same(tokens[0], "Preamp:")) {
      if (settings.preamp) return LineError(lineNumber, "a second Preamp line");
      if (tokens.size() < 2 || tokens.size() > 3 || (tokens.size() == 3 && !Same(tokens[2], "dB")))
        return LineError(lineNumber, "Preamp takes one value in dB");
      settings.preamp = Number(tokens[1]);
      if (!settings.preamp) return LineError(lineNumber, "the Preamp value is not a number");
      settings.preampLine = lineNumber;
      continue;
    }
    if (std::any_of(kApoCommands.begin(), kApoCommands.end(),
                    [&](std::string_view c) { return Same(tokens[0], c); }))
      return LineError(lineNumber,
                       std::string(tokens[0]) + " is a command this import does not carry out");
    const std::optional<Tokens> body = FilterBody(tokens);
    if (!body) {
      if (!sawFilter) continue;  // REW's header: title, version, date, notes
      return LineError(lineNumber, "not a filter line");
    }
    sawFilter = true;
    auto parsed = ParseFilter(*body);
    if (auto* error = std::get_if<std::string>(&parsed)) return LineError(lineNumber, *error);
    GivenFilter filter = std::get<GivenFilter>(std::move(parsed));
    filter.line = lineNumber;
    filter.text = std::string(line);
    if (filter.active && ++activeCount > kBandsPerWay)
      return LineError(lineNumber, "more than six active filters; the equaliser has six bands");
    if (settings.filters.size() == kBandsPerWay) {
      if (filter.active)
        return LineError(lineNumber, "an active filter after the sixth; filter N goes to band N");
      continue;  // an OFF line past the sixth band changes nothing
    }
    settings.filters.push_back(std::move(filter));
  }
  if (!sawContent) return std::string("the file is empty");
  if (!sawFilter && !settings.preamp) return std::string("the file holds no Filter or Preamp line");
  return settings;
}

std::string WriteEqSettings(const PresetImage& image,
                            const std::array<bool, kBandsPerWay>& bypass) {
  std::string text;
  for (int row = 0; row < kBandsPerWay; ++row) {
    const EqBand& band = image.band(ToBandSlot(Way::Main, row));
    const bool off =
        bypass[static_cast<std::size_t>(row)] || EffectiveGain(band) == kZeroDbGainIndex;
    const std::string_view type = band.type == kPeakingBand    ? "PK"
                                  : band.type == kLowShelfBand ? "LSC"
                                                               : "HSC";
    text += "Filter " + std::to_string(row + 1) + ": " + (off ? "OFF " : "ON ") +
            std::string(type) + " Fc " + bandFieldText(band, BandField::Frequency) + " Gain " +
            bandFieldText(band, BandField::Gain) + " Q " + bandFieldText(band, BandField::Q) + "\n";
  }
  return text;
}

}  // namespace lyra
