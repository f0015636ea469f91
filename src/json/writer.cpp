#include "json/writer.hpp"

#include <fmt/format.h>

#include <cmath>

#include "json/number.hpp"
#include "utf8.hpp"

namespace quorvelan::json {

void Writer::newline_and_indent() {
  out_ += '\n';
  out_.append(2 * levels_.size(), ' ');
}

// A value inside an array starts a new line; inside an object the key has done that already.
void Writer::before_value() {
  if (levels_.empty() || levels_.back().is_object) return;
  Level& level = levels_.back();
  if (!level.empty) {
    out_ += ',';
    ++level.index;
  }
  level.empty = false;
  newline_and_indent();
}

void Writer::open(char bracket, bool is_object) {
  before_value();
  out_ += bracket;
  levels_.emplace_back().is_object = is_object;
}

void Writer::close(char bracket) {
  bool empty = levels_.back().empty;
  levels_.pop_back();
  if (!empty) newline_and_indent();
  out_ += bracket;
}

void Writer::begin_object() { open('{', true); }
void Writer::end_object() { close('}'); }
void Writer::begin_array() { open('[', false); }
void Writer::end_array() { close(']'); }

void Writer::key(std::string_view name) {
  Level& level = levels_.back();
  if (!level.empty) out_ += ',';
  level.empty = false;
  level.key = name;
  newline_and_indent();
  string(name);
  out_ += ": ";
}

void Writer::null() {
  before_value();
  out_ += "null";
}

void Writer::boolean(bool value) {
  before_value();
  out_ += value ? "true" : "false";
}

void Writer::integer(std::int64_t value) {
  before_value();
  out_ += std::to_string(value);
}

void Writer::number(float value) {
  before_value();
  if (std::isfinite(value)) {
    out_ += format_f32(value);
  } else if (!failure_) {
    failure_ = Error(fmt::format("cannot store the non-finite number {} in `{}`", value, path()));
  }
}

void Writer::number(double value) {
  before_value();
  if (std::isfinite(value)) {
    out_ += format_f64(value);
  } else if (!failure_) {
    failure_ = Error(fmt::format("cannot store the non-finite number {} in `{}`", value, path()));
  }
}

void Writer::string(std::string_view text) {
  before_value();
  if (!utf8::is_valid(text)) {
    // Written as is, the file would never read again.
    if (!failure_)
      failure_ = Error(fmt::format("cannot store text that is not UTF-8 in `{}`", path()));
    return;
  }
  out_ += '"';
  for (char c : text) {
    switch (c) {
      case '"':
        out_ += "\\\"";
        break;
      case '\\':
        out_ += "\\\\";
        break;
      case '\b':
        out_ += "\\b";
        break;
      case '\f':
        out_ += "\\f";
        break;
      case '\n':
        out_ += "\\n";
        break;
      case '\r':
        out_ += "\\r";
        break;
      case '\t':
        out_ += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          out_ += fmt::format("\\u{:04x}", static_cast<unsigned>(c));
        } else {
          out_ += c;
        }
    }
  }
  out_ += '"';
}

// Where the value being written stands, as "synth_params[1].op_ratios[3]".
std::string Writer::path() const {
  std::string text;
  for (const Level& level : levels_) {
    if (level.is_object) {
      if (!text.empty()) text += '.';
      text += level.key;
    } else {
      text += fmt::format("[{}]", level.index);
    }
  }
  return text;
}

Result<std::string> Writer::finish() && {
  if (failure_) return std::unexpected(std::move(*failure_));
  return std::move(out_);
}

}  // namespace quorvelan::json
