#pragma once
// Where an overlay box stands: centred in an area and cut to it, so that no terminal is too small
// for it (sizes that would go below zero stay at zero).

#include <cstdint>

#include "term/rect.hpp"

namespace quorvelan::ui::overlay_box {

// `size` less `by`, or 0 when `by` is larger.
constexpr std::uint16_t minus(std::uint16_t size, std::uint16_t by) {
  return size > by ? static_cast<std::uint16_t>(size - by) : 0;
}

// A box of the given size centred in `area` (the odd cell to the right and below), cut to the part
// of it that `area` holds.
constexpr term::Rect centred(const term::Rect& area, std::uint16_t width, std::uint16_t height) {
  const term::Rect box{static_cast<std::uint16_t>(area.x + minus(area.width, width) / 2),
                       static_cast<std::uint16_t>(area.y + minus(area.height, height) / 2), width,
                       height};
  return box.intersection(area);
}

}  // namespace quorvelan::ui::overlay_box
