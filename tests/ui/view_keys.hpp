#pragma once
// The editing keys by name, and an App opened on a new project in one view, for the tests that
// press their way through a view.

#include "ui/harness.hpp"

namespace quorvelan::ui::app {

inline const term::KeyEvent kLeft = key(term::KeyCode::Left);
inline const term::KeyEvent kRight = key(term::KeyCode::Right);
inline const term::KeyEvent kUp = key(term::KeyCode::Up);
inline const term::KeyEvent kDown = key(term::KeyCode::Down);
inline const term::KeyEvent kEnter = key(term::KeyCode::Enter);
inline const term::KeyEvent kEsc = key(term::KeyCode::Esc);
inline const term::KeyEvent kBackspace = key(term::KeyCode::Backspace);

// A new project opened from the list, then the view of `view_key` ("e" FX, "r" LFO, "t" MIX),
// with nothing sent yet.
inline Harness in_view(char32_t view_key) {
  auto h = Harness::make();
  h.press({kEnter, ch(view_key)});
  h.app.flush_pattern_sync();
  h.drain_sent();
  return h;
}

}  // namespace quorvelan::ui::app
