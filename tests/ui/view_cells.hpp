#pragma once
// Reading drawn frames in the views' tests: the text of a run of cells, and a cell's look.

#include <string>

#include "term/test_backend.hpp"

namespace quorvelan::ui::app {

// The symbols of `width` cells from (x, y), one per cell.
inline std::string cells_text(const term::TestBackend& b, int x, int y, int width) {
  std::string text;
  for (int i = 0; i < width; ++i) text += b.cell(x + i, y).symbol;
  return text;
}

inline bool is_bold(const term::Cell& cell) {
  return term::contains(cell.modifiers, term::Modifier::Bold);
}

}  // namespace quorvelan::ui::app
