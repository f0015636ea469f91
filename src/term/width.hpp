#pragma once
// Display width of text and its split into graphemes, as the terminal lays them out.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvelan::term {

// One user-perceived character of a text, as it goes into a cell: a base character with any
// combining marks that follow it. Width is 1 or 2 columns.
struct Grapheme {
  std::string symbol;
  int width = 1;
};

// Splits `text` into the graphemes that a cell can hold. Control characters (C0, DEL, C1) and
// bytes that are not valid UTF-8 become U+FFFD, so nothing from file or device names can steer
// the terminal; graphemes of zero width (a combining mark with nothing before it) are dropped.
// Ambiguous-width characters count as one column, East Asian wide ones and emoji as two.
std::vector<Grapheme> graphemes(std::string_view text);

// Columns that `text` takes on screen (the sum of its graphemes' widths).
std::size_t display_width(std::string_view text);

// `text` followed by blanks up to `width` columns; unchanged when already that wide or wider.
// The width-aware form of "{:<N}".
std::string pad_right(std::string_view text, std::size_t width);

// `text` with blanks on both sides to `width` columns, the odd blank on the right; unchanged when
// already that wide or wider. The width-aware form of "{:^N}".
std::string center(std::string_view text, std::size_t width);

// The UTF-8 bytes of one code point (U+FFFD for one that is not a valid scalar value).
std::string encode_utf8(char32_t code_point);

}  // namespace quorvelan::term
