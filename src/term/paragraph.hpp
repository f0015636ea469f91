#pragma once
// A block of text lines drawn into an area: no wrapping, each line cut at the right edge.

#include <cstdint>
#include <utility>
#include <vector>

#include "term/buffer.hpp"
#include "term/rect.hpp"
#include "term/style.hpp"
#include "term/text.hpp"

namespace quorvelan::term {

// Set up by chained calls: Paragraph(lines).style(s).alignment(Alignment::Center).
class Paragraph {
 public:
  explicit Paragraph(std::vector<Line> lines) : lines_(std::move(lines)) {}

  // Drawn over the whole area first, under the lines.
  Paragraph& style(Style style) {
    style_ = style;
    return *this;
  }
  // For lines that set none of their own.
  Paragraph& alignment(Alignment alignment) {
    alignment_ = alignment;
    return *this;
  }
  // Lines skipped at the top.
  Paragraph& scroll(std::uint16_t lines) {
    scroll_ = lines;
    return *this;
  }

  // A centred line is placed (area width - line width) / 2 columns in; a line wider than the area,
  // centred or not, starts at the left edge and is cut at the right one.
  void render(const Rect& area, Buffer& buffer) const;

 private:
  std::vector<Line> lines_;
  Style style_;
  Alignment alignment_ = Alignment::Left;
  std::uint16_t scroll_ = 0;
};

// Draws one line at (area.x, area.y) under the same rules; used by titles and paragraphs.
void render_line(const Line& line, Alignment alignment, const Rect& area, Buffer& buffer);

}  // namespace quorvelan::term
