#include "term/terminal.hpp"

#include <gtest/gtest.h>

#include "support/pty.hpp"

namespace quorvelan::term {
namespace {

constexpr const char* clear_screen = "\x1b[0m\x1b[2J";
constexpr const char* hide_cursor = "\x1b[?25l";
constexpr const char* show_cursor = "\x1b[?25h";

TEST(Terminal, FirstFrameClearsThenOnlyChangesAreWritten) {
  test_support::Pty pty(6, 2);
  Terminal terminal(pty.terminal());
  const auto draw_text = [&](const char* text) {
    return terminal.draw([&](Buffer& frame) { frame.set_string(0, 1, text, 6, Style{}); });
  };
  ASSERT_TRUE(draw_text("abc"));
  EXPECT_EQ(pty.drawn(), std::string(hide_cursor) + clear_screen + "\x1b[2;1H\x1b[0mabc\x1b[0m");
  ASSERT_TRUE(draw_text("abc"));
  EXPECT_EQ(pty.drawn(), "");
  ASSERT_TRUE(draw_text("abd"));
  EXPECT_EQ(pty.drawn(), "\x1b[2;3H\x1b[0md\x1b[0m");
}

TEST(Terminal, TheCursorIsHiddenWhileDrawingAndShownAgainAfterwards) {
  test_support::Pty pty(6, 2);
  {
    Terminal terminal(pty.terminal());
    ASSERT_TRUE(terminal.draw([](Buffer&) {}));
    ASSERT_TRUE(terminal.draw([](Buffer& frame) { frame.set_string(0, 0, "x", 6, Style{}); }));
    const std::string drawn = pty.drawn();
    EXPECT_EQ(drawn.find(hide_cursor), 0u);
    EXPECT_EQ(drawn.find(hide_cursor, 1), std::string::npos);  // once, not on every frame
  }
  EXPECT_EQ(pty.drawn(), show_cursor);
}

TEST(Terminal, ASizeChangeClearsAndRepaintsEverything) {
  test_support::Pty pty(6, 2);
  Terminal terminal(pty.terminal());
  Rect seen;
  const auto render = [&](Buffer& frame) {
    seen = frame.area();
    frame.set_string(0, 0, "hi", 2, Style{});
  };
  ASSERT_TRUE(terminal.draw(render));
  pty.drawn();
  pty.resize(8, 3);
  ASSERT_TRUE(terminal.draw(render));
  EXPECT_EQ(seen, (Rect{0, 0, 8, 3}));
  EXPECT_EQ(pty.drawn(), std::string(clear_screen) + "\x1b[1;1H\x1b[0mhi\x1b[0m");
}

TEST(Terminal, DrawingOnSomethingThatIsNoTerminalFails) {
  Terminal terminal(-1);
  const auto result = terminal.draw([](Buffer&) {});
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error().message(), "Failed to draw the screen");
}

}  // namespace
}  // namespace quorvelan::term
