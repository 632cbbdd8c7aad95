#pragma once
// A small JSON writer for the tool's --json output: objects and arrays, indented by two spaces,
// strings escaped, numbers in their shortest form that reads back the same.

#include <string>
#include <string_view>
#include <vector>

namespace lyra::cli {

class JsonWriter {
 public:
  void beginObject();
  void endObject();
  void beginArray();
  void endArray();
  // The name of the next member of the enclosing object.
  void key(std::string_view name);
  void string(std::string_view text);
  void number(double value);
  void integer(long long value);
  void boolean(bool value);
  void null();

  // The document; a newline ends it.
  std::string text() const { return out_ + "\n"; }

 private:
  void beforeValue();
  void open(char bracket);
  void close(char bracket);

  std::string out_;
  struct Level {
    bool empty = true;
  };
  std::vector<Level> levels_;
  bool afterKey_ = false;
};

std::string JsonEscaped(std::string_view text);

}  // namespace lyra::cli
