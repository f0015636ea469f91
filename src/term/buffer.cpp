#include "term/buffer.hpp"

#include <algorithm>
#include <cstddef>

#include "term/width.hpp"

namespace quorvelan::term {

Buffer::Buffer(Rect area)
    : area_(area), cells_(static_cast<std::size_t>(area.width) * area.height) {}

Cell* Buffer::cell(int x, int y) {
  if (!area_.contains(x, y)) return nullptr;
  return &cells_[static_cast<std::size_t>(y - area_.y) * area_.width +
                 static_cast<std::size_t>(x - area_.x)];
}

const Cell* Buffer::cell(int x, int y) const { return const_cast<Buffer*>(this)->cell(x, y); }

int Buffer::set_string(int x, int y, std::string_view text, int max_width, const Style& style) {
  const int limit = x + std::clamp(max_width, 0, 1 << 17);  // wider than any buffer
  int column = x;
  for (const auto& g : graphemes(text)) {
    if (column + g.width > limit) return limit;  // the text is cut here, not squeezed
    put(column, y, g.symbol, g.width, style);
    column += g.width;
  }
  return column;
}

void Buffer::put(int x, int y, const std::string& symbol, int width, const Style& style) {
  Cell* first = cell(x, y);
  if (first == nullptr) return;
  if (width == 2 && cell(x + 1, y) == nullptr) return;  // its second half would be off the buffer
  blank_wide_neighbours(x, y);
  if (width == 2) blank_wide_neighbours(x + 1, y);
  first->symbol = symbol;
  first->set_style(style);
  if (width == 2) {
    Cell* second = cell(x + 1, y);
    second->symbol.clear();
    second->set_style(style);
  }
}

void Buffer::blank_wide_neighbours(int x, int y) {
  Cell* target = cell(x, y);
  if (target->symbol.empty()) {
    if (Cell* before = cell(x - 1, y)) before->symbol = " ";
    target->symbol = " ";
  } else if (Cell* after = cell(x + 1, y); after != nullptr && after->symbol.empty()) {
    after->symbol = " ";
  }
}

void Buffer::set_style(const Rect& area, const Style& style) {
  const Rect clipped = area.intersection(area_);
  for (int y = clipped.y; y < clipped.bottom(); ++y) {
    for (int x = clipped.x; x < clipped.right(); ++x) cell(x, y)->set_style(style);
  }
}

void Buffer::reset(const Rect& area) {
  const Rect clipped = area.intersection(area_);
  for (int y = clipped.y; y < clipped.bottom(); ++y) {
    for (int x = clipped.x; x < clipped.right(); ++x) {
      blank_wide_neighbours(x, y);
      *cell(x, y) = Cell{};
    }
  }
}

}  // namespace quorvelan::term
