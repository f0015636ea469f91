#pragma once
// A writer of pretty JSON text: two-space indentation, one member or element per line, "[]" and
// "{}" when empty, and no line break after the last closing bracket.
//
// A non-finite float or text that is not UTF-8 has no JSON form; the writer refuses it and names
// where it stood, so the caller fails before any file is touched.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "error.hpp"

namespace quorvelan::json {

class Writer {
 public:
  void begin_object();
  void key(std::string_view name);
  void end_object();
  void begin_array();
  void end_array();

  void null();
  void boolean(bool value);
  void integer(std::int64_t value);
  void number(float value);
  void number(double value);
  void string(std::string_view text);

  // The text, or the first failure.
  Result<std::string> finish() &&;

 private:
  struct Level {
    bool is_object = false;
    bool empty = true;
    std::string key;        // of the member being written
    std::size_t index = 0;  // of the element being written
  };

  void before_value();
  void open(char bracket, bool is_object);
  void close(char bracket);
  void newline_and_indent();
  std::string path() const;

  std::string out_;
  std::vector<Level> levels_;
  std::optional<Error> failure_;
};

}  // namespace quorvelan::json
