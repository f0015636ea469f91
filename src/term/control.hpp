#pragma once
// Taking over the terminal and giving it back: raw mode, the alternate screen, bracketed paste,
// the cursor and the window size.
//
// What has been taken over is recorded in static storage, so that `restore` can give it all back
// from a crash handler on any thread.

#include <cstdint>

#include "error.hpp"

namespace quorvelan::term {

struct Size {
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  friend constexpr bool operator==(const Size&, const Size&) = default;
};

// Columns and rows of the terminal on `fd`.
Result<Size> terminal_size(int fd);

// Raw mode on the terminal `fd`: bytes arrive one by one, unechoed, with no line editing and no
// signals from Ctrl+C or Ctrl+Z. The settings it replaces are kept for `disable_raw_mode`.
Result<void> enable_raw_mode(int fd);
Result<void> disable_raw_mode();

// The escape sequences are written to `fd` at once (not buffered).
Result<void> enter_alternate_screen(int fd);
Result<void> leave_alternate_screen(int fd);
Result<void> hide_cursor(int fd);
Result<void> show_cursor(int fd);
// Asks the terminal to mark pasted text, so that a paste is never taken for typed keys.
Result<void> enable_bracketed_paste(int fd);
Result<void> disable_bracketed_paste(int fd);

// Undoes whatever of the above is still in effect (raw mode, bracketed paste, hidden cursor,
// alternate screen), ignoring errors. Async-signal-safe: only tcsetattr and write on static data.
void restore() noexcept;

}  // namespace quorvelan::term
