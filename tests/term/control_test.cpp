#include "term/control.hpp"

#include <gtest/gtest.h>
#include <termios.h>

#include "support/pty.hpp"

namespace quorvelan::term {
namespace {

termios settings_of(int fd) {
  termios t{};
  tcgetattr(fd, &t);
  return t;
}

bool line_mode(const termios& t) {
  return (t.c_lflag & (ICANON | ECHO | ISIG)) == (ICANON | ECHO | ISIG);
}

TEST(TerminalControl, RawModeOnAndOffRestoresTheSettings) {
  test_support::Pty pty(80, 24);
  ASSERT_TRUE(line_mode(settings_of(pty.terminal())));
  ASSERT_TRUE(enable_raw_mode(pty.terminal()));
  const termios raw = settings_of(pty.terminal());
  EXPECT_EQ(raw.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(raw.c_iflag & (ICRNL | IXON), 0u);  // Enter arrives as 0x0D, Ctrl+Q as 0x11
  EXPECT_EQ(raw.c_oflag & OPOST, 0u);
  ASSERT_TRUE(disable_raw_mode());
  EXPECT_TRUE(line_mode(settings_of(pty.terminal())));
  EXPECT_TRUE(disable_raw_mode());  // nothing left to undo
}

TEST(TerminalControl, RestoreUndoesEverythingStillInEffect) {
  test_support::Pty pty(80, 24);
  ASSERT_TRUE(enable_raw_mode(pty.terminal()));
  ASSERT_TRUE(enter_alternate_screen(pty.terminal()));
  ASSERT_TRUE(enable_bracketed_paste(pty.terminal()));
  ASSERT_TRUE(hide_cursor(pty.terminal()));
  EXPECT_EQ(pty.drawn(), "\x1b[?1049h\x1b[?2004h\x1b[?25l");
  restore();
  EXPECT_TRUE(line_mode(settings_of(pty.terminal())));
  EXPECT_EQ(pty.drawn(), "\x1b[?2004l\x1b[?25h\x1b[?1049l");
  restore();  // a second call has nothing left to do
  EXPECT_EQ(pty.drawn(), "");

  ASSERT_TRUE(enter_alternate_screen(pty.terminal()));
  ASSERT_TRUE(leave_alternate_screen(pty.terminal()));
  pty.drawn();
  restore();
  EXPECT_EQ(pty.drawn(), "");  // what was already given back is not given back twice
}

TEST(TerminalControl, ReadsTheWindowSize) {
  test_support::Pty pty(100, 30);
  EXPECT_EQ(terminal_size(pty.terminal()), (Size{100, 30}));
  pty.resize(40, 12);
  EXPECT_EQ(terminal_size(pty.terminal()), (Size{40, 12}));
  const auto not_a_terminal = terminal_size(-1);
  ASSERT_FALSE(not_a_terminal);
  EXPECT_EQ(not_a_terminal.error().message(), "Failed to read the terminal size");
}

}  // namespace
}  // namespace quorvelan::term
