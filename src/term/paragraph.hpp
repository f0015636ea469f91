#pragma once
// A block of text lines drawn into an area: no wrapping, each line cut at the right edge.

#include <cstdint>
#include <vector>

#include "term/buffer.hpp"
#include "term/rect.hpp"
#include "term/style.hpp"
#include "term/text.hpp"

namespace quorvelan::term {

struct Paragraph {
  std::vector<Line> lines;
  Style style;  // drawn over the whole area first, under the lines
  Alignment alignment = Alignment::Left;
  std::uint16_t scroll = 0;  // lines skipped at the top

  // A centred line is placed (area width - line width) / 2 columns in; a line wider than the area,
  // centred or not, starts at the left edge and is cut at the right one.
  void render(const Rect& area, Buffer& buffer) const;
};

// Draws one line at (area.x, area.y) under the same rules; used by titles and paragraphs.
void render_line(const Line& line, Alignment alignment, const Rect& area, Buffer& buffer);

}  // namespace quorvelan::term
