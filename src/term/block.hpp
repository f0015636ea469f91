#pragma once
// A frame around an area: borders, titles on the top and bottom border, and a background style.

#include <cstdint>
#include <utility>

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

// Set up by chained calls: Block().borders(Borders::All).border_style(s).title(line).
class Block {
 public:
  Block& borders(Borders borders) {
    borders_ = borders;
    return *this;
  }
  // Drawn over the whole area first.
  Block& style(Style style) {
    style_ = style;
    return *this;
  }
  // Drawn over the border cells.
  Block& border_style(Style style) {
    border_style_ = style;
    return *this;
  }
  // On the top row, starting one column in.
  Block& title(Line title) {
    title_ = std::move(title);
    return *this;
  }
  // On the bottom row, starting one column in.
  Block& title_bottom(Line title) {
    title_bottom_ = std::move(title);
    return *this;
  }

  // The area inside the borders.
  [[nodiscard]] Rect inner(const Rect& area) const;

  void render(const Rect& area, Buffer& buffer) const;

 private:
  Borders borders_ = Borders::None;
  Style style_;
  Style border_style_;
  Line title_;
  Line title_bottom_;
};

}  // namespace quorvelan::term
