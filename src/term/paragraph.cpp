#include "term/paragraph.hpp"

#include <cstddef>

namespace quorvelan::term {

void render_line(const Line& line, Alignment alignment, const Rect& area, Buffer& buffer) {
  if (area.empty()) return;
  buffer.set_style(Rect{area.x, area.y, area.width, 1}, line.style);
  const std::size_t width = line.width();
  int x = area.x;
  if (line.alignment.value_or(alignment) == Alignment::Center && width < area.width) {
    x += static_cast<int>((area.width - width) / 2);
  }
  for (const auto& span : line.spans) {
    if (x >= area.right()) break;
    x = buffer.set_string(x, area.y, span.content, area.right() - x, span.style);
  }
}

void Paragraph::render(const Rect& area, Buffer& buffer) const {
  buffer.set_style(area, style_);
  for (std::size_t row = 0; row < area.height; ++row) {
    const std::size_t index = row + scroll_;
    if (index >= lines_.size()) break;
    const Rect line_area{area.x, static_cast<std::uint16_t>(area.y + row), area.width, 1};
    render_line(lines_[index], alignment_, line_area, buffer);
  }
}

}  // namespace quorvelan::term
