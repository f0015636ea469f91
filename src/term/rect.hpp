#pragma once
// A rectangle of screen cells: the area a widget or a layout part covers.

#include <algorithm>
#include <cstdint>

namespace quorvelan::term {

struct Rect {
  std::uint16_t x = 0;
  std::uint16_t y = 0;
  std::uint16_t width = 0;
  std::uint16_t height = 0;

  // One past the last column and row; computed wide because x + width may pass 65535.
  [[nodiscard]] constexpr int right() const { return int{x} + width; }
  [[nodiscard]] constexpr int bottom() const { return int{y} + height; }
  [[nodiscard]] constexpr bool empty() const { return width == 0 || height == 0; }
  [[nodiscard]] constexpr bool contains(int column, int row) const {
    return column >= x && column < right() && row >= y && row < bottom();
  }

  // The part of this rectangle that also lies in `other` (zero-sized when they do not overlap).
  [[nodiscard]] constexpr Rect intersection(const Rect& other) const {
    const int left = std::max<int>(x, other.x);
    const int top = std::max<int>(y, other.y);
    const int r = std::max(left, std::min(right(), other.right()));
    const int b = std::max(top, std::min(bottom(), other.bottom()));
    return Rect{static_cast<std::uint16_t>(left), static_cast<std::uint16_t>(top),
                static_cast<std::uint16_t>(std::min(r - left, 65535)),
                static_cast<std::uint16_t>(std::min(b - top, 65535))};
  }

  friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace quorvelan::term
