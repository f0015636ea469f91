#include "term/block.hpp"

#include <gtest/gtest.h>

#include "term/test_backend.hpp"

namespace quorvelan::term {
namespace {

const Color track = Color::hex(0x89B4FA);
const Color dim = Color::hex(0x6C7086);

TEST(Block, RoundedBordersWithTitlesOneColumnIn) {
  TestBackend backend(12, 4);
  const Block block = Block()
                          .borders(Borders::All)
                          .border_style(Style{}.fg(track))
                          .title(Line(" > Mix ", Style{}.fg(track).bold()))
                          .title_bottom(" Esc: close ");
  backend.draw([&](Buffer& frame) { block.render(frame.area(), frame); });
  EXPECT_EQ(backend.row(0), "╭ > Mix ───╮");
  EXPECT_EQ(backend.row(1), "│          │");
  EXPECT_EQ(backend.row(3), "╰ Esc: clos╯");  // cut before the corner
  EXPECT_EQ(backend.cell(0, 0).foreground, track);
  EXPECT_FALSE(contains(backend.cell(0, 0).modifiers, Modifier::Bold));
  EXPECT_TRUE(contains(backend.cell(3, 0).modifiers, Modifier::Bold));
  EXPECT_EQ(backend.cell(11, 2).symbol, "│");
  EXPECT_EQ(block.inner(Rect{0, 0, 12, 4}), (Rect{1, 1, 10, 2}));
}

TEST(Block, LeftBorderOnlyAndNoBorder) {
  TestBackend backend(4, 3);
  const Block strip = Block().borders(Borders::Left).border_style(Style{}.fg(dim));
  backend.draw([&](Buffer& frame) { strip.render(frame.area(), frame); });
  EXPECT_EQ(backend.row(0), "│   ");
  EXPECT_EQ(backend.row(2), "│   ");
  EXPECT_EQ(backend.cell(0, 1).foreground, dim);
  EXPECT_EQ(strip.inner(Rect{2, 2, 4, 3}), (Rect{3, 2, 3, 3}));

  const Block background = Block().style(Style{}.bg(Color::hex(0x181825)));
  backend.draw([&](Buffer& frame) { background.render(frame.area(), frame); });
  EXPECT_EQ(backend.row(1), "    ");
  EXPECT_EQ(backend.cell(3, 2).background, Color::hex(0x181825));
  EXPECT_EQ(background.inner(Rect{2, 2, 4, 3}), (Rect{2, 2, 4, 3}));
}

TEST(Block, TinyAreasKeepTheBlockInside) {
  TestBackend backend(5, 5);
  const Block block = Block().borders(Borders::All).title("Title");
  backend.draw([&](Buffer& frame) { block.render(Rect{1, 1, 2, 2}, frame); });
  EXPECT_EQ(backend.row(1), " ╭╮  ");
  EXPECT_EQ(backend.row(2), " ╰╯  ");
  EXPECT_EQ(block.inner(Rect{1, 1, 2, 2}), (Rect{2, 2, 0, 0}));
  EXPECT_EQ(block.inner(Rect{1, 1, 1, 0}).height, 0);
}

}  // namespace
}  // namespace quorvelan::term
