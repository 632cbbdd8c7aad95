#include "cli/PresetReport.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "cli/Json.h"
#include "cli/ParameterTable.h"
#include "model/ParameterScales.h"
#include "model/ValueFormat.h"
#include "preset/PresetBlockText.h"
#include "preset/PresetDecoder.h"

namespace lyra::cli {

namespace {

// Texts that reached here passed the file check, so they decode.
PresetImage Decoded(const std::string& text) {
  PresetImage image;
  (void)DecodePresetBlock(text, image);
  return image;
}

std::string Padded(const std::string& s, std::size_t width) {
  return s.size() >= width ? s + " " : s + std::string(width - s.size(), ' ');
}

std::size_t KeyWidth(const std::vector<Parameter>& parameters, bool carried) {
  std::size_t width = 0;
  for (const Parameter& p : parameters) {
    if (p.carried == carried) width = std::max(width, p.key.size());
  }
  return width + 2;
}

void ShowBlock(std::string& out, const std::string& text) {
  const std::vector<Parameter> parameters = ParametersOf(Decoded(text));
  const std::size_t width = KeyWidth(parameters, false);
  for (const Parameter& p : parameters) {
    if (!p.carried) out += "  " + Padded(p.key, width) + p.text + "\n";
  }
  out += "  carried (kept as the preset holds them; no control edits them):\n";
  const std::size_t carriedWidth = KeyWidth(parameters, true);
  for (const Parameter& p : parameters) {
    if (p.carried) out += "    " + Padded(p.key, carriedWidth) + p.text + "\n";
  }
}

void ValueJson(JsonWriter& j, const Parameter& p) {
  j.beginObject();
  j.key("index");
  j.integer(p.index);
  j.key("value");
  switch (p.value.kind) {
    case PhysicalValue::Kind::Number:
      j.number(p.value.number);
      break;
    case PhysicalValue::Kind::Flag:
      j.boolean(p.value.flag);
      break;
    case PhysicalValue::Kind::Name:
      j.string(p.value.name);
      break;
    case PhysicalValue::Kind::None:
      j.null();
      break;
  }
  if (p.metres) {
    j.key("metres");
    j.number(*p.metres);
  }
  if (p.feet) {
    j.key("feet");
    j.number(*p.feet);
  }
  j.key("text");
  j.string(p.text);
  j.endObject();
}

void BlockJson(JsonWriter& j, const std::string& text) {
  const std::vector<Parameter> parameters = ParametersOf(Decoded(text));
  for (bool carried : {false, true}) {
    j.key(carried ? "carried" : "parameters");
    j.beginObject();
    for (const Parameter& p : parameters) {
      if (p.carried != carried) continue;
      j.key(p.key);
      ValueJson(j, p);
    }
    j.endObject();
  }
}

std::string_view KindName(PresetFileKind kind) {
  return kind == PresetFileKind::Single ? "sps" : "fps";
}

// --- diff ----------------------------------------------------------------------------------

struct Difference {
  int block = 0;  // 1..20 for an all-presets file, 0 for a single preset
  std::string key;
  bool carried = false;
  std::optional<Parameter> a, b;  // parameters
  int byte = -1;                  // a data byte no parameter shows
  std::uint8_t byteA = 0, byteB = 0;
};

Parameter GainField(const std::string& key, int index) {
  Parameter p;
  p.key = key;
  p.index = index;
  const double db = ValueOf(GainScale, index);
  p.value = {.kind = PhysicalValue::Kind::Number, .number = db, .flag = false, .name = {}};
  p.text = FormatDb(db);
  p.carried = true;
  return p;
}

bool IsUnusedGain(const std::string& key) {
  const auto ends = [&](std::string_view s) {
    return key.size() >= s.size() && key.compare(key.size() - s.size(), s.size(), s) == 0;
  };
  return ends(".peq-gain") || ends(".shelf-gain");
}

void DiffBlock(std::vector<Difference>& out, int block, const std::string& textA,
               const std::string& textB) {
  const PresetImage a = Decoded(textA);
  const PresetImage b = Decoded(textB);
  const std::vector<Parameter> pa = ParametersOf(a);
  const std::vector<Parameter> pb = ParametersOf(b);
  // Every key but the unused gains is on both sides, in the same order.
  for (const Parameter& x : pa) {
    if (IsUnusedGain(x.key)) continue;
    const Parameter* y = FindParameter(pb, x.key);
    if (y && y->index == x.index && y->text == x.text) continue;
    out.push_back({block, x.key, x.carried, x, y ? std::optional<Parameter>(*y) : std::nullopt});
  }
  // A band's two gains: the one both types use is eqN.gain above; any other that differs is
  // named by its field, so that a gain the band does not show is not lost from the comparison.
  const struct {
    Way way;
    const char* prefix;
  } ways[] = {{Way::Main, ""}, {Way::High, "high."}, {Way::Mid, "mid."}, {Way::Low, "low."}};
  for (const auto& w : ways) {
    for (int row = 0; row < kBandsPerWay; ++row) {
      const EqBand& x = a.band(ToBandSlot(w.way, row));
      const EqBand& y = b.band(ToBandSlot(w.way, row));
      const std::string eq = std::string(w.prefix) + "eq" + std::to_string(row + 1) + ".";
      const bool sameType = x.type == y.type;
      if (x.peqGain != y.peqGain && !(sameType && x.type == kPeakingBand))
        out.push_back({block, eq + "peq-gain", true, GainField(eq + "peq-gain", x.peqGain),
                       GainField(eq + "peq-gain", y.peqGain)});
      if (x.shelfGain != y.shelfGain && !(sameType && x.type != kPeakingBand))
        out.push_back({block, eq + "shelf-gain", true, GainField(eq + "shelf-gain", x.shelfGain),
                       GainField(eq + "shelf-gain", y.shelfGain)});
    }
  }
  // Data bytes the device receives but no parameter shows (or whose difference the range rule
  // hides): taking B's byte into A leaves A's parameters as they were.
  const std::optional<PresetData> da = ReadPresetData(textA);
  const std::optional<PresetData> db = ReadPresetData(textB);
  for (std::size_t i = 0; da && db && i < kPresetDataLength; ++i) {
    if ((*da)[i] == (*db)[i]) continue;
    PresetData mixed = *da;
    mixed[i] = (*db)[i];
    PresetImage m;
    DecodePresetData(mixed, m);
    if (!(m == a)) continue;
    Difference d;
    d.block = block;
    d.key = "data byte " + std::to_string(i);
    d.carried = true;
    d.byte = static_cast<int>(i);
    d.byteA = (*da)[i];
    d.byteB = (*db)[i];
    out.push_back(std::move(d));
  }
}

std::string Hex(std::uint8_t byte) {
  char text[4];
  std::snprintf(text, sizeof text, "%02X", byte);
  return text;
}

}  // namespace

std::string ShowText(const std::string& fileName, const PresetFileContent& content) {
  std::string out;
  if (content.kind == PresetFileKind::Single) {
    out += fileName + ": the active preset\n";
    ShowBlock(out, content.blocks.front());
    return out;
  }
  out += fileName + ": all presets, " + std::to_string(content.blocks.size()) + " blocks\n";
  for (std::size_t n = 0; n < content.blocks.size(); ++n) {
    out += "\nblock " + std::to_string(n + 1) + "\n";
    ShowBlock(out, content.blocks[n]);
  }
  return out;
}

std::string ShowJson(const std::string& fileName, const PresetFileContent& content) {
  JsonWriter j;
  j.beginObject();
  j.key("file");
  j.string(fileName);
  j.key("kind");
  j.string(KindName(content.kind));
  if (content.kind == PresetFileKind::Single) {
    BlockJson(j, content.blocks.front());
  } else {
    j.key("blocks");
    j.beginArray();
    for (std::size_t n = 0; n < content.blocks.size(); ++n) {
      j.beginObject();
      j.key("block");
      j.integer(static_cast<long long>(n + 1));
      BlockJson(j, content.blocks[n]);
      j.endObject();
    }
    j.endArray();
  }
  j.endObject();
  return j.text();
}

std::variant<DiffResult, std::string> DiffPresetFiles(const std::string& nameA,
                                                      const PresetFileContent& a,
                                                      const std::string& nameB,
                                                      const PresetFileContent& b, bool json) {
  if (a.kind != b.kind) {
    const auto what = [](PresetFileKind k) {
      return k == PresetFileKind::Single ? "one preset" : "all presets";
    };
    return nameA + " holds " + what(a.kind) + " and " + nameB + " " + what(b.kind) +
           "; diff compares two files of one kind";
  }
  std::vector<Difference> differences;
  const bool all = a.kind == PresetFileKind::AllPresets;
  for (std::size_t n = 0; n < a.blocks.size() && n < b.blocks.size(); ++n)
    DiffBlock(differences, all ? static_cast<int>(n + 1) : 0, a.blocks[n], b.blocks[n]);

  DiffResult result;
  result.same = differences.empty();
  if (json) {
    JsonWriter j;
    j.beginObject();
    j.key("a");
    j.string(nameA);
    j.key("b");
    j.string(nameB);
    j.key("kind");
    j.string(KindName(a.kind));
    j.key("same");
    j.boolean(result.same);
    j.key("differences");
    j.beginArray();
    for (const Difference& d : differences) {
      j.beginObject();
      if (all) {
        j.key("block");
        j.integer(d.block);
      }
      if (d.byte >= 0) {
        j.key("byte");
        j.integer(d.byte);
        j.key("a");
        j.integer(d.byteA);
        j.key("b");
        j.integer(d.byteB);
      } else {
        j.key("parameter");
        j.string(d.key);
        j.key("carried");
        j.boolean(d.carried);
        j.key("a");
        ValueJson(j, *d.a);
        j.key("b");
        if (d.b) {
          ValueJson(j, *d.b);
        } else {
          j.null();
        }
      }
      j.endObject();
    }
    j.endArray();
    j.endObject();
    result.output = j.text();
    return result;
  }
  std::size_t width = 0;
  for (const Difference& d : differences) width = std::max(width, d.key.size());
  for (const Difference& d : differences) {
    std::string line =
        all ? "block " + std::to_string(d.block) + (d.block < 10 ? "   " : "  ") : "";
    line += Padded(d.key, width + 2);
    if (d.byte >= 0) {
      line += Hex(d.byteA) + "  ->  " + Hex(d.byteB) +
              "   (no parameter shows it; the device receives it)";
    } else {
      line += d.a->text + "  ->  " + (d.b ? d.b->text : std::string("-"));
      if (d.carried) line += "   (carried)";
    }
    result.output += line + "\n";
  }
  return result;
}

}  // namespace lyra::cli
