#pragma once
// Sizes and places overlays on a screen of any size: a size computed by taking a margin off the
// screen stops at zero instead of wrapping round, and a centred box never leaves its area.

#include <algorithm>
#include <cstdint>

#include "term/rect.hpp"

namespace quorvelan::ui::overlay {

// `size` less `margin`, never below 0.
constexpr std::uint16_t less(std::uint16_t size, std::uint16_t margin) {
  return size > margin ? static_cast<std::uint16_t>(size - margin) : 0;
}

// A box of `width` x `height` (each cut to the area's) centred in `area`, the odd cell to the
// right and below.
constexpr term::Rect centered(const term::Rect& area, std::uint16_t width, std::uint16_t height) {
  const auto w = std::min(width, area.width);
  const auto h = std::min(height, area.height);
  return term::Rect{static_cast<std::uint16_t>(area.x + (area.width - w) / 2),
                    static_cast<std::uint16_t>(area.y + (area.height - h) / 2), w, h};
}

}  // namespace quorvelan::ui::overlay
