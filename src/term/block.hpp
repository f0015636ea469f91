#pragma once
// A frame around an area: borders, titles on the top and bottom border, and a background style.

#include <cstdint>

#include "term/buffer.hpp"
#include "term/rect.hpp"
#include "term/style.hpp"
#include "term/text.hpp"

namespace quorvelan::term {

enum class Borders : std::uint8_t {
  None,  // no border; the block only paints its style
  All,   // all four sides, with rounded corners
  Left,  // only a vertical line down the left side
};

struct Block {
  Borders borders = Borders::None;
  Style style;         // drawn over the whole area first
  Style border_style;  // drawn over the border cells
  Line title;          // on the top row, starting one column in
  Line title_bottom;   // on the bottom row, starting one column in

  // The area inside the borders.
  [[nodiscard]] Rect inner(const Rect& area) const;

  void render(const Rect& area, Buffer& buffer) const;
};

}  // namespace quorvelan::term
