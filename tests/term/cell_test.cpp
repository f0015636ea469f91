#include "term/cell.hpp"

#include <gtest/gtest.h>

namespace quorvelan::term {
namespace {

const Color base = Color::hex(0x181825);
const Color track = Color::hex(0x89B4FA);

Cell styled_cell() {
  Cell cell;
  cell.foreground = track;
  cell.background = base;
  cell.modifiers = Modifier::Bold | Modifier::Underlined;
  return cell;
}

TEST(CellStyle, UnsetFieldsKeepWhatTheCellHad) {
  Cell cursor = styled_cell();
  cursor.set_style(Style{}.fg(colors::black));  // a cursor glyph that inherits the background
  EXPECT_EQ(cursor.foreground, colors::black);
  EXPECT_EQ(cursor.background, base);
  EXPECT_EQ(cursor.modifiers, Modifier::Bold | Modifier::Underlined);

  Cell filled = styled_cell();
  filled.set_style(Style{}.bg(colors::red));
  EXPECT_EQ(filled.foreground, track);
  EXPECT_EQ(filled.background, colors::red);

  Cell untouched = styled_cell();
  untouched.set_style(Style{});
  EXPECT_EQ(untouched, styled_cell());
}

TEST(CellStyle, ModifiersAreAddedAndRemovedOneByOne) {
  Cell cell = styled_cell();
  cell.set_style(Style{}.add_modifier(Modifier::Reversed).remove_modifier(Modifier::Bold));
  EXPECT_EQ(cell.modifiers, Modifier::Underlined | Modifier::Reversed);

  // The last word on one modifier wins within a style.
  const Style flip = Style{}.remove_modifier(Modifier::Bold).bold();
  EXPECT_FALSE(contains(flip.removed, Modifier::Bold));
  cell.set_style(flip);
  EXPECT_TRUE(contains(cell.modifiers, Modifier::Bold));
}

TEST(CellStyle, StylesDrawnInTurnLayerLikeAreaThenLineThenSpan) {
  Cell cell;
  cell.set_style(Style{}.bg(base));          // the block's background
  cell.set_style(Style{}.fg(track).bold());  // the line
  cell.set_style(Style{}.fg(colors::cyan));  // the span
  EXPECT_EQ(cell.foreground, colors::cyan);
  EXPECT_EQ(cell.background, base);
  EXPECT_EQ(cell.modifiers, Modifier::Bold);
}

TEST(Color, HexSplitsIntoChannels) {
  EXPECT_EQ(Color::hex(0xEB4D4B), Color::rgb(235, 77, 75));
  EXPECT_TRUE(Color::hex(0).is_rgb());
  EXPECT_FALSE(colors::cyan.is_rgb());
  EXPECT_NE(Color::rgb(0, 0, 0), colors::black);
}

}  // namespace
}  // namespace quorvelan::term
