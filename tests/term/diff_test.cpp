#include "term/diff.hpp"

#include <gtest/gtest.h>

namespace quorvelan::term {
namespace {

const Rect screen{0, 0, 6, 3};

TEST(Diff, NothingChangedWritesNothing) {
  Buffer frame(screen);
  frame.set_string(0, 0, "hello", 6, Style{}.fg(Color::hex(0x89B4FA)));
  EXPECT_EQ(diff(frame, frame), "");
}

TEST(Diff, WritesOnlyChangedCellsWithCursorMovesAndTrueColour) {
  Buffer before(screen);
  before.set_string(0, 0, "abcdef", 6, Style{});
  Buffer after = before;
  after.set_string(1, 0, "XY", 2, Style{}.fg(Color::rgb(1, 2, 3)).bg(Color::hex(0x181825)).bold());
  after.set_string(4, 2, "Z", 1, Style{}.fg(colors::cyan).add_modifier(Modifier::Reversed));
  EXPECT_EQ(diff(before, after),
            "\x1b[1;2H\x1b[0;1;38;2;1;2;3;48;2;24;24;37mXY"  // adjacent: one move, one SGR
            "\x1b[3;5H\x1b[0;7;36mZ"
            "\x1b[0m");
}

TEST(Diff, StyleOnlyChangesAreWrittenAndNamedColoursUseThePalette) {
  Buffer before(screen);
  before.set_string(0, 1, "ab", 2, Style{});
  Buffer after = before;
  after.set_style(Rect{0, 1, 2, 1},
                  Style{}.fg(colors::white).bg(colors::magenta).add_modifier(Modifier::Underlined));
  EXPECT_EQ(diff(before, after), "\x1b[2;1H\x1b[0;4;37;45mab\x1b[0m");
  // Back to the terminal's own colours: the reset alone.
  EXPECT_EQ(diff(after, before), "\x1b[2;1H\x1b[0mab\x1b[0m");
}

TEST(Diff, WideCharactersAreWrittenOnceAndMoveTheCursorTwo) {
  Buffer before(screen);
  Buffer after(screen);
  after.set_string(0, 0, "漢x", 6, Style{});
  EXPECT_EQ(diff(before, after), "\x1b[1;1H\x1b[0m漢x\x1b[0m");
  // Replacing a wide character by narrow ones rewrites both of its cells.
  Buffer narrow = after;
  narrow.set_string(0, 0, "a", 1, Style{});
  EXPECT_EQ(diff(after, narrow), "\x1b[1;1H\x1b[0ma \x1b[0m");
}

TEST(Diff, CellsOutsideThePreviousFrameCountAsBlank) {
  Buffer after(screen);
  after.set_string(5, 2, "q", 1, Style{});
  EXPECT_EQ(diff(Buffer{}, after), "\x1b[3;6H\x1b[0mq\x1b[0m");
}

}  // namespace
}  // namespace quorvelan::term
