#pragma once
// Splitting an area into rows or columns by constraints.
//
// Rule, in order:
//  1. Length(n) and Min(n) ask for n cells. Ratio(a, b) asks for its share of the whole area:
//     the ratio parts' edges are placed at the area size times the running sum of their ratios,
//     rounded to the nearest cell (halves up), so equal ratios that add up to one cover the area
//     exactly and differ by at most one cell.
//  2. Parts are given what they ask for from the first to the last while space lasts; a part that
//     finds too little gets what is left, the parts after it get nothing.
//  3. Space left over goes to the Min parts, shared evenly (the earlier ones take the odd cells);
//     without a Min part it goes to the last part.
// The parts are contiguous, in order, cover the area exactly and never leave it; a part that got
// nothing is zero-sized and sits where the previous part ends.

#include <cstdint>
#include <vector>

#include "term/rect.hpp"

namespace quorvelan::term {

struct Constraint {
  enum class Kind : std::uint8_t { Length, Min, Ratio };
  Kind kind = Kind::Length;
  std::uint32_t a = 0;  // the length, the minimum, or the ratio's numerator
  std::uint32_t b = 1;  // the ratio's denominator

  static constexpr Constraint length(std::uint32_t cells) { return {Kind::Length, cells, 1}; }
  static constexpr Constraint min(std::uint32_t cells) { return {Kind::Min, cells, 1}; }
  static constexpr Constraint ratio(std::uint32_t numerator, std::uint32_t denominator) {
    return {Kind::Ratio, numerator, denominator};
  }
};

enum class Direction : std::uint8_t { Vertical, Horizontal };

// Splits `area` into one part per constraint: rows top to bottom (Vertical) or columns left to
// right (Horizontal). split_vertical(area, {Constraint::length(1), Constraint::min(0)}).
std::vector<Rect> split(const Rect& area, Direction direction,
                        const std::vector<Constraint>& constraints);

inline std::vector<Rect> split_vertical(const Rect& area,
                                        const std::vector<Constraint>& constraints) {
  return split(area, Direction::Vertical, constraints);
}
inline std::vector<Rect> split_horizontal(const Rect& area,
                                          const std::vector<Constraint>& constraints) {
  return split(area, Direction::Horizontal, constraints);
}

}  // namespace quorvelan::term
