#include "cli/Json.h"

#include <cmath>
#include <cstdio>

#include "model/ValueFormat.h"

namespace lyra::cli {

std::string JsonEscaped(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

void JsonWriter::beforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (levels_.empty()) return;
  if (!levels_.back().empty) out_ += ",";
  levels_.back().empty = false;
  out_ += "\n" + std::string(2 * levels_.size(), ' ');
}

void JsonWriter::open(char bracket) {
  beforeValue();
  out_ += bracket;
  levels_.push_back({});
}

void JsonWriter::close(char bracket) {
  const bool empty = levels_.back().empty;
  levels_.pop_back();
  if (!empty) out_ += "\n" + std::string(2 * levels_.size(), ' ');
  out_ += bracket;
}

void JsonWriter::beginObject() {
  open('{');
}
void JsonWriter::endObject() {
  close('}');
}
void JsonWriter::beginArray() {
  open('[');
}
void JsonWriter::endArray() {
  close(']');
}

void JsonWriter::key(std::string_view name) {
  beforeValue();
  out_ += JsonEscaped(name) + ": ";
  afterKey_ = true;
}

void JsonWriter::string(std::string_view text) {
  beforeValue();
  out_ += JsonEscaped(text);
}

void JsonWriter::number(double value) {
  beforeValue();
  // JSON has no infinity or NaN; no parameter produces one, but a writer must not emit garbage.
  out_ += std::isfinite(value) ? FormatShortest(value) : "null";
}

void JsonWriter::integer(long long value) {
  beforeValue();
  out_ += std::to_string(value);
}

void JsonWriter::boolean(bool value) {
  beforeValue();
  out_ += value ? "true" : "false";
}

void JsonWriter::null() {
  beforeValue();
  out_ += "null";
}

}  // namespace lyra::cli
