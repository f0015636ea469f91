#include "term/buffer.hpp"

#include <gtest/gtest.h>

#include <string>

#include "term/clear.hpp"

namespace quorvelan::term {
namespace {

std::string row(const Buffer& buffer, int y) {
  std::string text;
  for (int x = buffer.area().x; x < buffer.area().right(); ++x) {
    const Cell* cell = buffer.cell(x, y);
    text += cell->symbol.empty() ? "_" : cell->symbol;  // "_" marks a wide grapheme's second half
  }
  return text;
}

TEST(Buffer, WritesOutsideAreIgnored) {
  Buffer buffer(Rect{2, 1, 4, 2});
  EXPECT_EQ(buffer.cell(1, 1), nullptr);
  EXPECT_EQ(buffer.cell(6, 1), nullptr);
  EXPECT_EQ(buffer.cell(2, 3), nullptr);
  buffer.set_string(0, 1, "abcdefgh", 8, Style{});
  EXPECT_EQ(row(buffer, 1), "cdef");
  buffer.set_string(3, 5, "zz", 2, Style{});
  buffer.set_style(Rect{0, 0, 100, 100}, Style{}.bg(colors::red));
  EXPECT_EQ(buffer.cell(5, 2)->background, colors::red);
}

TEST(Buffer, CutsMixedTextAtTheMaximumWidth) {
  Buffer buffer(Rect{0, 0, 8, 1});
  EXPECT_EQ(buffer.set_string(0, 0, "a漢b字c", 5, Style{}), 5);
  EXPECT_EQ(row(buffer, 0), "a漢_b    ");
  // A wide character that would straddle the limit is left out, and the text ends there.
  Buffer cut(Rect{0, 0, 6, 1});
  EXPECT_EQ(cut.set_string(0, 0, "ab漢cd", 3, Style{}), 3);
  EXPECT_EQ(row(cut, 0), "ab    ");
  // Nor is one drawn with its second half off the buffer's edge.
  Buffer edge(Rect{0, 0, 3, 1});
  edge.set_string(2, 0, "漢", 2, Style{});
  EXPECT_EQ(row(edge, 0), "   ");
}

TEST(Buffer, OverwritingHalfAWideCharacterBlanksTheOtherHalf) {
  Buffer buffer(Rect{0, 0, 4, 1});
  buffer.set_string(0, 0, "漢字", 4, Style{});
  EXPECT_EQ(row(buffer, 0), "漢_字_");
  buffer.set_string(1, 0, "x", 1, Style{});
  EXPECT_EQ(row(buffer, 0), " x字_");
  buffer.set_string(2, 0, "y", 1, Style{});
  EXPECT_EQ(row(buffer, 0), " xy ");
  buffer.set_string(0, 0, "漢", 2, Style{});
  EXPECT_EQ(row(buffer, 0), "漢_y ");
}

TEST(Buffer, ControlCharactersInTextNeverReachACell) {
  Buffer buffer(Rect{0, 0, 4, 1});
  buffer.set_string(0, 0, "\x1b[2J", 4, Style{});
  EXPECT_EQ(row(buffer, 0), "\xef\xbf\xbd[2J");
}

TEST(Clear, ResetsItsAreaToDefaultCells) {
  Buffer buffer(Rect{0, 0, 4, 2});
  buffer.set_string(0, 0, "ab漢", 4, Style{}.fg(colors::cyan).bold());
  buffer.set_string(0, 1, "wxyz", 4, Style{}.bg(colors::red));
  Clear{}.render(Rect{1, 0, 2, 2}, buffer);
  EXPECT_EQ(row(buffer, 0), "a   ");  // the wide character's outer half goes with it
  EXPECT_EQ(row(buffer, 1), "w  z");
  EXPECT_EQ(*buffer.cell(1, 1), Cell{});
  EXPECT_EQ(buffer.cell(3, 1)->background, colors::red);
}

}  // namespace
}  // namespace quorvelan::term
