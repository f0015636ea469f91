#pragma once
// A strict pull reader over JSON text. Record codecs drive it value by value, so every failure,
// of syntax or of meaning, is reported where the reader stopped: "{} at line {} column {}".
//
// Failures unwind as ReadError to the one entry point that catches them (from_text in codec.hpp):
// a read fails deep inside nested records, and unwinding keeps those records' codecs declarative.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvelan::json {

// A failed read, with its position already in the text.
class ReadError {
 public:
  explicit ReadError(std::string text) : text_(std::move(text)) {}
  [[nodiscard]] const std::string& text() const { return text_; }

 private:
  std::string text_;
};

enum class Kind { Null, Bool, Number, String, Array, Object };

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  // The kind of the next value after whitespace, consuming nothing of it.
  Kind peek_kind();
  bool next_is_null();

  // Each reads one whole value; a value of another kind fails with the invalid-type text naming
  // `expected` ("u8", "a boolean", "struct Step", ...).
  void read_null(std::string_view expected);
  bool read_bool();
  std::string read_string(std::string_view expected);
  std::int64_t read_integer(std::int64_t min, std::int64_t max, std::string_view expected);
  float read_f32();
  double read_f64();
  void skip_value();

  // Arrays: begin, then next_element() before each element until it returns false, then end.
  void begin_array(std::string_view expected);
  bool next_element();
  void end_array();

  // Objects: begin, then next_key() and expect_colon() before each value until next_key()
  // returns none, then end. A key is judged before its colon is read, so a fault of the key
  // itself (a repeat) is reported right after it.
  void begin_object(std::string_view expected);
  std::optional<std::string> next_key();
  void expect_colon();
  void end_object();
  void skip_whitespace();

  // The one-key object of an enum variant: begin_variant() reads "{" and the key, leaving the
  // colon to expect_colon() once the name is known; end_variant() reads the closing brace.
  std::string begin_variant();
  void end_variant();

  // Only whitespace may follow the top-level value.
  void finish();

  // Fails where the reader stands (after the last byte consumed).
  [[noreturn]] void fail(std::string_view message) const;
  // Fails with the invalid-type text describing the next value (consumed when it is a scalar).
  [[noreturn]] void fail_invalid_type(std::string_view expected);

 private:
  struct Number {
    std::string_view text;
    bool integral = false;
  };

  std::optional<char> peek_past_whitespace();
  [[noreturn]] void fail_at(std::size_t index, std::string_view message) const;
  [[noreturn]] void fail_at_next(std::string_view message) const;
  void enter_nesting();
  void expect_word(std::string_view rest);
  Number scan_number();
  void expect_digit();
  void scan_digits();
  double number_as_f64(const Number& number);
  std::string describe_number(const Number& number);
  void scan_string_into(std::string& out);
  std::uint32_t scan_hex4();
  std::uint32_t scan_escaped_code_point();

  std::string_view text_;
  std::size_t index_ = 0;
  std::size_t depth_ = 0;
  std::vector<bool> first_in_level_;
};

}  // namespace quorvelan::json
