#include "term/sparkline.hpp"

#include <algorithm>
#include <array>
#include <cstddef>

namespace quorvelan::term {

namespace {

// Index = filled eighths of one cell.
constexpr std::array<const char*, 9> eighth_blocks = {" ", "▁", "▂", "▃", "▄", "▅", "▆", "▇", "█"};

}  // namespace

void Sparkline::render(const Rect& area, Buffer& buffer) const {
  if (area.empty()) return;
  buffer.set_style(area, style_);
  const std::size_t columns = std::min<std::size_t>(area.width, data_.size());
  const std::uint64_t full = std::max<std::uint64_t>(max_, 1);
  for (std::size_t i = 0; i < columns; ++i) {
    // Bar height in eighths of a cell, truncated.
    std::uint64_t eighths = std::min(data_[i], full) * area.height * 8 / full;
    for (int row = area.bottom() - 1; row >= area.y; --row) {
      const std::uint64_t here = std::min<std::uint64_t>(eighths, 8);
      buffer.set_string(area.x + static_cast<int>(i), row, eighth_blocks[here], 1, Style{});
      eighths -= here;
    }
  }
}

}  // namespace quorvelan::term
