#pragma once
// The frame buffer: a grid of cells that widgets draw into and the terminal diffs and writes.

#include <string_view>
#include <vector>

#include "term/cell.hpp"
#include "term/rect.hpp"
#include "term/style.hpp"

namespace quorvelan::term {

class Buffer {
 public:
  // A buffer of default cells (blank, reset colours) covering `area`.
  explicit Buffer(Rect area = {});

  [[nodiscard]] const Rect& area() const { return area_; }

  // The cell at a screen position, or null outside the buffer: drawing outside is ignored.
  [[nodiscard]] Cell* cell(int x, int y);
  [[nodiscard]] const Cell* cell(int x, int y) const;

  // Draws `text` from (x, y) to the right, at most `max_width` columns, patching each written
  // cell with `style`. A wide grapheme that would not fit whole is not drawn. Returns the column
  // after the last one written.
  int set_string(int x, int y, std::string_view text, int max_width, const Style& style);

  // Patches every cell of `area` (clipped to the buffer) with `style`.
  void set_style(const Rect& area, const Style& style);

  // Puts default cells back into `area` (clipped to the buffer).
  void reset(const Rect& area);

 private:
  // Writes one grapheme into (x, y), keeping wide graphemes whole: a wide grapheme owns the cell
  // after it, and overwriting either half of one blanks the other half.
  void put(int x, int y, const std::string& symbol, int width, const Style& style);
  void blank_wide_neighbours(int x, int y);

  Rect area_;
  std::vector<Cell> cells_;  // row-major over area_
};

}  // namespace quorvelan::term
