#include "term/block.hpp"

#include <algorithm>

#include "term/paragraph.hpp"

namespace quorvelan::term {

namespace {

std::uint16_t shrink(std::uint16_t size, int by) {
  return static_cast<std::uint16_t>(std::max(0, int{size} - by));
}

void draw_title(const Line& title, const Rect& area, int row, Buffer& buffer) {
  if (title.spans.empty() || area.width <= 2) return;
  const Rect title_area{static_cast<std::uint16_t>(area.x + 1), static_cast<std::uint16_t>(row),
                        shrink(area.width, 2), 1};
  render_line(title, Alignment::Left, title_area, buffer);
}

}  // namespace

Rect Block::inner(const Rect& area) const {
  switch (borders_) {
    case Borders::None:
      return area;
    case Borders::Left:
      return Rect{static_cast<std::uint16_t>(area.x + (area.width > 0 ? 1 : 0)), area.y,
                  shrink(area.width, 1), area.height};
    case Borders::All:
      break;
  }
  return Rect{static_cast<std::uint16_t>(area.x + (area.width > 0 ? 1 : 0)),
              static_cast<std::uint16_t>(area.y + (area.height > 0 ? 1 : 0)), shrink(area.width, 2),
              shrink(area.height, 2)};
}

void Block::render(const Rect& area, Buffer& buffer) const {
  if (area.empty()) return;
  buffer.set_style(area, style_);
  const int left = area.x;
  const int right = area.right() - 1;
  const int top = area.y;
  const int bottom = area.bottom() - 1;
  const auto put = [&](int x, int y, const char* symbol) {
    buffer.set_string(x, y, symbol, 1, border_style_);
  };
  if (borders_ == Borders::Left) {
    for (int y = top; y <= bottom; ++y) put(left, y, "│");
  } else if (borders_ == Borders::All) {
    for (int x = left + 1; x < right; ++x) {
      put(x, top, "─");
      put(x, bottom, "─");
    }
    for (int y = top + 1; y < bottom; ++y) {
      put(left, y, "│");
      put(right, y, "│");
    }
    put(left, top, "╭");
    put(right, top, "╮");
    put(left, bottom, "╰");
    put(right, bottom, "╯");
  }
  draw_title(title_, area, top, buffer);
  draw_title(title_bottom_, area, bottom, buffer);
}

}  // namespace quorvelan::term
