#include "json/reader.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "json/number.hpp"

namespace quorvelan::json {
namespace {

// Nesting this deep or deeper fails; 127 levels read.
constexpr std::size_t kDepthLimit = 128;

bool is_whitespace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

void append_utf8(std::string& out, std::uint32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code_point >> 18));
    out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

// The decimal exponent of the leading nonzero digit of a well-formed number that is not zero, so
// that 10^m <= |value| < 10^(m+1) whatever the spelling: 2 for "123.4", "0.01234e4" and
// "12340e-2". Huge exponents are cut off far beyond any double's.
std::int64_t decimal_magnitude(std::string_view text) {
  constexpr std::int64_t exponent_limit = 1'000'000'000;
  const std::size_t exponent_at = text.find_first_of("eE");
  const std::string_view significand = text.substr(0, exponent_at);
  const std::size_t first = significand.find_first_of("123456789");
  const std::size_t point = std::min(significand.find('.'), significand.size());
  std::int64_t magnitude = first < point ? static_cast<std::int64_t>(point - first - 1)
                                         : -static_cast<std::int64_t>(first - point);
  if (exponent_at == std::string_view::npos) return magnitude;
  std::string_view exponent_digits = text.substr(exponent_at + 1);
  const bool negative = exponent_digits.front() == '-';
  if (negative || exponent_digits.front() == '+') exponent_digits.remove_prefix(1);
  std::int64_t exponent = 0;
  for (char c : exponent_digits) exponent = std::min(exponent * 10 + (c - '0'), exponent_limit);
  return negative ? magnitude - exponent : magnitude + exponent;
}

}  // namespace

// ---- positions and failures ----

void Reader::fail_at(std::size_t index, std::string_view message) const {
  std::size_t line = 1;
  std::size_t column = 0;
  for (std::size_t i = 0; i < index; ++i) {
    if (text_[i] == '\n') {
      ++line;
      column = 0;
    } else {
      ++column;
    }
  }
  throw ReadError(fmt::format("{} at line {} column {}", message, line, column));
}

void Reader::fail(std::string_view message) const { fail_at(index_, message); }

// Syntax faults point at the offending byte itself.
void Reader::fail_at_next(std::string_view message) const {
  fail_at(std::min(index_ + 1, text_.size()), message);
}

void Reader::fail_invalid_type(std::string_view expected) {
  std::string found;
  switch (peek_kind()) {
    case Kind::Null:
      expect_word("null");
      found = "null";
      break;
    case Kind::Bool:
      found = fmt::format("boolean `{}`", read_bool());
      break;
    case Kind::Number:
      found = describe_number(scan_number());
      break;
    case Kind::String: {
      std::string text;
      ++index_;
      scan_string_into(text);
      found = fmt::format("string \"{}\"", text);
      break;
    }
    case Kind::Array:
      found = "sequence";
      break;
    case Kind::Object:
      found = "map";
      break;
  }
  fail(fmt::format("invalid type: {}, expected {}", found, expected));
}

// ---- scalars ----

std::optional<char> Reader::peek_past_whitespace() {
  while (index_ < text_.size() && is_whitespace(text_[index_])) ++index_;
  if (index_ == text_.size()) return std::nullopt;
  return text_[index_];
}

Kind Reader::peek_kind() {
  auto next = peek_past_whitespace();
  if (!next) fail_at_next("EOF while parsing a value");
  switch (*next) {
    case 'n':
      return Kind::Null;
    case 't':
    case 'f':
      return Kind::Bool;
    case '"':
      return Kind::String;
    case '[':
      return Kind::Array;
    case '{':
      return Kind::Object;
    default:
      if (*next == '-' || is_digit(*next)) return Kind::Number;
      fail_at_next("expected value");
  }
}

bool Reader::next_is_null() { return peek_kind() == Kind::Null; }

void Reader::expect_word(std::string_view word) {
  for (char c : word) {
    if (index_ == text_.size()) fail_at_next("EOF while parsing a value");
    if (text_[index_] != c) fail_at_next("expected ident");
    ++index_;
  }
}

void Reader::read_null(std::string_view expected) {
  if (peek_kind() != Kind::Null) fail_invalid_type(expected);
  expect_word("null");
}

bool Reader::read_bool() {
  if (peek_kind() != Kind::Bool) fail_invalid_type("a boolean");
  bool value = text_[index_] == 't';
  expect_word(value ? "true" : "false");
  return value;
}

std::string Reader::read_string(std::string_view expected) {
  if (peek_kind() != Kind::String) fail_invalid_type(expected);
  ++index_;
  std::string text;
  scan_string_into(text);
  return text;
}

void Reader::scan_digits() {
  while (index_ < text_.size() && is_digit(text_[index_])) ++index_;
}

// A number cut short by the end of the text is an unfinished value; any other byte where a digit
// must stand is a bad number, reported past that byte.
void Reader::expect_digit() {
  if (index_ == text_.size()) fail("EOF while parsing a value");
  if (!is_digit(text_[index_])) fail_at_next("invalid number");
}

// The number grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
Reader::Number Reader::scan_number() {
  std::size_t start = index_;
  bool integral = true;
  if (text_[index_] == '-') ++index_;
  expect_digit();
  if (text_[index_++] == '0') {
    if (index_ < text_.size() && is_digit(text_[index_])) fail_at_next("invalid number");
  } else {
    scan_digits();
  }
  if (index_ < text_.size() && text_[index_] == '.') {
    integral = false;
    ++index_;
    expect_digit();
    scan_digits();
  }
  if (index_ < text_.size() && (text_[index_] == 'e' || text_[index_] == 'E')) {
    integral = false;
    ++index_;
    if (index_ < text_.size() && (text_[index_] == '+' || text_[index_] == '-')) ++index_;
    expect_digit();
    scan_digits();
  }
  return {text_.substr(start, index_ - start), integral};
}

double Reader::number_as_f64(const Number& number) {
  double value = 0.0;
  auto [end, ec] =
      std::from_chars(number.text.data(), number.text.data() + number.text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Underflow reads as zero; overflow is no number at all.
    if (decimal_magnitude(number.text) >= 0) fail("number out of range");
    return number.text.front() == '-' ? -0.0 : 0.0;
  }
  return value;
}

std::string Reader::describe_number(const Number& number) {
  if (number.integral) return fmt::format("integer `{}`", number.text);
  return fmt::format("floating point `{}`", format_f64(number_as_f64(number)));
}

std::int64_t Reader::read_integer(std::int64_t min, std::int64_t max, std::string_view expected) {
  if (peek_kind() != Kind::Number) fail_invalid_type(expected);
  Number number = scan_number();
  if (!number.integral)
    fail(fmt::format("invalid type: {}, expected {}", describe_number(number), expected));
  std::int64_t value = 0;
  auto [end, ec] =
      std::from_chars(number.text.data(), number.text.data() + number.text.size(), value);
  if (ec != std::errc() || value < min || value > max) {
    fail(fmt::format("invalid value: {}, expected {}", describe_number(number), expected));
  }
  return value;
}

double Reader::read_f64() {
  if (peek_kind() != Kind::Number) fail_invalid_type("f64");
  return number_as_f64(scan_number());
}

// Parsed straight from the digits, so the shortest text of an f32 reads back as that f32.
float Reader::read_f32() {
  if (peek_kind() != Kind::Number) fail_invalid_type("f32");
  Number number = scan_number();
  double wide = number_as_f64(number);
  float value = 0.0f;
  auto [end, ec] =
      std::from_chars(number.text.data(), number.text.data() + number.text.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Beyond the f32 range would load as infinity, and nothing could save it again.
    if (std::fabs(wide) > std::numeric_limits<float>::max()) {
      fail(fmt::format("invalid value: {}, expected f32", describe_number(number)));
    }
    return static_cast<float>(wide);
  }
  return value;
}

// ---- strings ----

std::uint32_t Reader::scan_hex4() {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    if (index_ == text_.size()) fail_at_next("EOF while parsing a string");
    char c = text_[index_];
    std::uint32_t digit = 0;
    if (is_digit(c)) {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      fail_at_next("invalid escape");
    }
    ++index_;
    value = value * 16 + digit;
  }
  return value;
}

// After "\u": one code point, joining a surrogate pair.
std::uint32_t Reader::scan_escaped_code_point() {
  std::uint32_t first = scan_hex4();
  if (first >= 0xDC00 && first <= 0xDFFF) fail("lone leading surrogate in hex escape");
  if (first < 0xD800 || first > 0xDBFF) return first;
  if (text_.substr(index_, 2) != "\\u") fail("unexpected end of hex escape");
  index_ += 2;
  std::uint32_t second = scan_hex4();
  if (second < 0xDC00 || second > 0xDFFF) fail("lone leading surrogate in hex escape");
  return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
}

// After the opening quote, up to and including the closing one.
void Reader::scan_string_into(std::string& out) {
  while (true) {
    if (index_ == text_.size()) fail_at_next("EOF while parsing a string");
    char c = text_[index_++];
    if (c == '"') return;
    if (static_cast<unsigned char>(c) < 0x20) {
      fail("control character (\\u0000-\\u001F) found while parsing a string");
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (index_ == text_.size()) fail_at_next("EOF while parsing a string");
    switch (text_[index_++]) {
      case '"':
        out += '"';
        break;
      case '\\':
        out += '\\';
        break;
      case '/':
        out += '/';
        break;
      case 'b':
        out += '\b';
        break;
      case 'f':
        out += '\f';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'u':
        append_utf8(out, scan_escaped_code_point());
        break;
      default:
        fail("invalid escape");
    }
  }
}

// ---- containers ----

void Reader::enter_nesting() {
  if (++depth_ >= kDepthLimit) fail_at_next("recursion limit exceeded");
  ++index_;
  first_in_level_.push_back(true);
}

void Reader::begin_array(std::string_view expected) {
  if (peek_kind() != Kind::Array) fail_invalid_type(expected);
  enter_nesting();
}

bool Reader::next_element() {
  auto next = peek_past_whitespace();
  if (!next) fail_at_next("EOF while parsing a list");
  if (*next == ']') return false;
  if (first_in_level_.back()) {
    first_in_level_.back() = false;
    return true;
  }
  if (*next != ',') fail_at_next("expected `,` or `]`");
  ++index_;
  if (peek_past_whitespace() == ']') fail_at_next("trailing comma");
  return true;
}

void Reader::end_array() {
  auto next = peek_past_whitespace();
  if (!next) fail_at_next("EOF while parsing a list");
  if (*next == ',') {
    ++index_;
    fail_at_next(peek_past_whitespace() == ']' ? "trailing comma" : "trailing characters");
  }
  if (*next != ']') fail_at_next("trailing characters");
  ++index_;
  --depth_;
  first_in_level_.pop_back();
}

void Reader::begin_object(std::string_view expected) {
  if (peek_kind() != Kind::Object) fail_invalid_type(expected);
  enter_nesting();
}

void Reader::expect_colon() {
  auto next = peek_past_whitespace();
  if (!next) fail_at_next("EOF while parsing an object");
  if (*next != ':') fail_at_next("expected `:`");
  ++index_;
}

std::optional<std::string> Reader::next_key() {
  auto next = peek_past_whitespace();
  if (!next) fail_at_next("EOF while parsing an object");
  if (*next == '}') return std::nullopt;
  if (first_in_level_.back()) {
    first_in_level_.back() = false;
  } else {
    if (*next != ',') fail_at_next("expected `,` or `}`");
    ++index_;
    next = peek_past_whitespace();
  }
  if (!next) fail_at_next("EOF while parsing a value");
  if (*next == '}') fail_at_next("trailing comma");
  if (*next != '"') fail_at_next("key must be a string");
  ++index_;
  std::string key;
  scan_string_into(key);
  return key;
}

void Reader::end_object() {
  auto next = peek_past_whitespace();
  if (!next) fail_at_next("EOF while parsing an object");
  if (*next != '}') fail_at_next("trailing characters");
  ++index_;
  --depth_;
  first_in_level_.pop_back();
}

std::string Reader::begin_variant() {
  // begin_object is never called with a non-object here: the caller has looked.
  begin_object("map");
  first_in_level_.back() = false;
  return read_string("variant identifier");
}

void Reader::end_variant() {
  auto next = peek_past_whitespace();
  if (!next) fail_at_next("EOF while parsing an object");
  if (*next != '}') fail("expected value");
  ++index_;
  --depth_;
  first_in_level_.pop_back();
}

void Reader::skip_value() {
  switch (peek_kind()) {
    case Kind::Null:
      expect_word("null");
      break;
    case Kind::Bool:
      read_bool();
      break;
    case Kind::Number:
      // Only its syntax counts: a value nobody reads cannot be out of range.
      scan_number();
      break;
    case Kind::String:
      read_string("a string");
      break;
    case Kind::Array:
      begin_array("a sequence");
      while (next_element()) skip_value();
      end_array();
      break;
    case Kind::Object:
      begin_object("a map");
      while (next_key()) {
        expect_colon();
        skip_value();
      }
      end_object();
      break;
  }
}

void Reader::skip_whitespace() { peek_past_whitespace(); }

void Reader::finish() {
  if (peek_past_whitespace()) fail_at_next("trailing characters");
}

}  // namespace quorvelan::json
