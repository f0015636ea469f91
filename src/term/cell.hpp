#pragma once
// One screen cell: the grapheme it shows and how it looks.

#include <string>

#include "term/style.hpp"

namespace quorvelan::term {

struct Cell {
  // One grapheme of display width 1 or 2 (already cleaned of control characters). Empty in the
  // second cell of a wide grapheme, which the terminal fills from the cell before it.
  std::string symbol = " ";
  Color foreground = colors::reset;
  Color background = colors::reset;
  Modifier modifiers = Modifier::None;

  // Draws `style` over this cell: only the colours it sets and the modifiers it adds or removes
  // change.
  void set_style(const Style& style) {
    if (style.foreground) foreground = *style.foreground;
    if (style.background) background = *style.background;
    modifiers = (modifiers & ~style.removed) | style.added;
  }

  friend bool operator==(const Cell&, const Cell&) = default;
};

}  // namespace quorvelan::term
