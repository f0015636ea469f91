#include "term/width.hpp"

#include <utf8proc.h>

#include <algorithm>

namespace quorvelan::term {

namespace {

constexpr utf8proc_int32_t replacement_character = 0xFFFD;

bool is_control(utf8proc_int32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp < 0xA0); }

// Decodes the code point at the start of `text`, reporting how many bytes it took. Invalid bytes
// are taken one at a time and decode as the replacement character.
utf8proc_int32_t decode(std::string_view text, std::size_t& length) {
  utf8proc_int32_t cp = 0;
  const auto n = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                                  static_cast<utf8proc_ssize_t>(text.size()), &cp);
  if (n <= 0) {
    length = 1;
    return replacement_character;
  }
  length = static_cast<std::size_t>(n);
  return is_control(cp) ? replacement_character : cp;
}

int char_width(utf8proc_int32_t cp) { return std::clamp(utf8proc_charwidth(cp), 0, 2); }

}  // namespace

std::vector<Grapheme> graphemes(std::string_view text) {
  std::vector<Grapheme> result;
  utf8proc_int32_t previous = 0;
  utf8proc_int32_t break_state = 0;
  bool open = false;  // whether the last grapheme may still take combining marks
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t length = 0;
    const utf8proc_int32_t cp = decode(text.substr(pos), length);
    pos += length;
    const int width = char_width(cp);
    const bool joins = open && !utf8proc_grapheme_break_stateful(previous, cp, &break_state);
    if (joins) {
      result.back().symbol += encode_utf8(static_cast<char32_t>(cp));
      result.back().width = std::max(result.back().width, width);
    } else if (width > 0) {
      if (!open) break_state = 0;
      result.push_back(Grapheme{encode_utf8(static_cast<char32_t>(cp)), width});
      open = true;
    } else {
      open = false;
    }
    previous = cp;
  }
  return result;
}

std::size_t display_width(std::string_view text) {
  std::size_t width = 0;
  for (const auto& g : graphemes(text)) width += static_cast<std::size_t>(g.width);
  return width;
}

std::string pad_right(std::string_view text, std::size_t width) {
  std::string result(text);
  const std::size_t used = display_width(text);
  if (used < width) result.append(width - used, ' ');
  return result;
}

std::string center(std::string_view text, std::size_t width) {
  const std::size_t used = display_width(text);
  if (used >= width) return std::string(text);
  const std::size_t left = (width - used) / 2;
  std::string result(left, ' ');
  result += text;
  result.append(width - used - left, ' ');
  return result;
}

std::string encode_utf8(char32_t code_point) {
  utf8proc_int32_t cp = static_cast<utf8proc_int32_t>(code_point);
  if (!utf8proc_codepoint_valid(cp)) cp = replacement_character;
  utf8proc_uint8_t bytes[4];
  const auto n = utf8proc_encode_char(cp, bytes);
  return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(n));
}

}  // namespace quorvelan::term
