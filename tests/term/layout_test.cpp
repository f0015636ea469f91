#include "term/layout.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace quorvelan::term {
namespace {

using C = Constraint;

std::vector<int> heights(const std::vector<Rect>& parts) {
  std::vector<int> result;
  for (const auto& p : parts) result.push_back(p.height);
  return result;
}
std::vector<int> widths(const std::vector<Rect>& parts) {
  std::vector<int> result;
  for (const auto& p : parts) result.push_back(p.width);
  return result;
}

// Every part inside the area, each starting where the one before ends, together covering it.
void expect_tiles(const Rect& area, const std::vector<Rect>& parts, Direction direction) {
  int edge = direction == Direction::Vertical ? area.y : area.x;
  for (const auto& p : parts) {
    EXPECT_EQ(p.intersection(area), p);
    if (direction == Direction::Vertical) {
      EXPECT_EQ(p.y, edge);
      EXPECT_EQ(p.x, area.x);
      EXPECT_EQ(p.width, area.width);
      edge = p.bottom();
    } else {
      EXPECT_EQ(p.x, edge);
      EXPECT_EQ(p.y, area.y);
      EXPECT_EQ(p.height, area.height);
      edge = p.right();
    }
  }
  EXPECT_EQ(edge, direction == Direction::Vertical ? area.bottom() : area.right());
}

const std::vector<C> frame_rows = {C::length(1), C::min(0), C::length(1), C::length(1)};

TEST(Layout, LengthsAreExactAndMinTakesTheRest) {
  const Rect area{0, 0, 80, 24};
  const auto rows = split_vertical(area, frame_rows);
  EXPECT_EQ(heights(rows), (std::vector<int>{1, 21, 1, 1}));
  expect_tiles(area, rows, Direction::Vertical);

  const Rect body{3, 1, 50, 20};
  const auto columns = split_horizontal(body, {C::min(0), C::length(3)});
  EXPECT_EQ(columns[1], (Rect{50, 1, 3, 20}));
  expect_tiles(body, columns, Direction::Horizontal);
}

TEST(Layout, EqualRatiosCoverTheAreaWithRoundedEdges) {
  const std::vector<C> fifths(5, C::ratio(1, 5));
  const Rect area{0, 1, 81, 10};
  const auto strips = split_horizontal(area, fifths);
  // Edges at 16.2, 32.4, 48.6, 64.8 rounded to the nearest column.
  EXPECT_EQ(widths(strips), (std::vector<int>{16, 16, 17, 16, 16}));
  expect_tiles(area, strips, Direction::Horizontal);

  const std::vector<C> thirds(3, C::ratio(1, 3));
  EXPECT_EQ(widths(split_horizontal(Rect{0, 0, 100, 1}, thirds)), (std::vector<int>{33, 34, 33}));
  EXPECT_EQ(widths(split_horizontal(Rect{0, 0, 2, 1}, thirds)), (std::vector<int>{1, 0, 1}));
  const std::vector<C> sixths(6, C::ratio(1, 6));
  for (int width = 0; width < 40; ++width) {
    const Rect r{5, 0, static_cast<std::uint16_t>(width), 3};
    expect_tiles(r, split_horizontal(r, sixths), Direction::Horizontal);
  }
}

TEST(Layout, TooSmallAreasFillFromTheFirstPartAndStayInside) {
  EXPECT_EQ(heights(split_vertical(Rect{0, 0, 10, 2}, frame_rows)), (std::vector<int>{1, 0, 1, 0}));
  const std::vector<C> page = {C::length(3), C::length(1), C::min(0), C::length(3)};
  const Rect small{0, 10, 10, 5};
  const auto parts = split_vertical(small, page);
  EXPECT_EQ(heights(parts), (std::vector<int>{3, 1, 0, 1}));
  expect_tiles(small, parts, Direction::Vertical);

  const Rect nothing{7, 7, 0, 0};
  const auto empty = split_vertical(nothing, frame_rows);
  ASSERT_EQ(empty.size(), 4u);
  for (const auto& p : empty) EXPECT_EQ(p, nothing);
}

TEST(Layout, LeftoverSpaceGoesToMinPartsOrElseTheLast) {
  EXPECT_EQ(heights(split_vertical(Rect{0, 0, 1, 10},
                                   std::vector<C>{C::min(2), C::length(1), C::min(2)})),
            (std::vector<int>{5, 1, 4}));
  EXPECT_EQ(heights(split_vertical(Rect{0, 0, 1, 10}, {C::length(3), C::length(3)})),
            (std::vector<int>{3, 7}));
  // A part at the far edge of the coordinate space keeps inside it.
  const Rect far{65530, 0, 5, 1};
  expect_tiles(far, split_horizontal(far, {C::min(0), C::length(3)}), Direction::Horizontal);
}

}  // namespace
}  // namespace quorvelan::term
