#pragma once
// Keys as a terminal sends them, for end-to-end tests that press their way through the views.

#include <chrono>
#include <string>

#include "e2e/pty_screen.hpp"

namespace e2e {

inline constexpr const char* kUp = "\x1b[A";
inline constexpr const char* kDown = "\x1b[B";
inline constexpr const char* kRight = "\x1b[C";
inline constexpr const char* kLeft = "\x1b[D";
inline constexpr const char* kDelete = "\x1b[3~";

// The key `times` times over, as one piece of input.
inline std::string repeat(const char* key, int times) {
  std::string keys;
  for (int i = 0; i < times; ++i) keys += key;
  return keys;
}

// The key `times` times over, one press after the other.
inline void send_times(PtySession& program, const char* key, int times) {
  for (int i = 0; i < times; ++i) program.send(key);
}

// Presses a cursor key until the row starting with `row` carries the cursor marker.
inline bool select_row(PtySession& program, const std::string& row, const char* step = kDown) {
  using namespace std::chrono_literals;
  for (int tries = 0; tries < 40; ++tries) {
    if (program.find("> " + row)) return true;
    program.send(step);
    program.pump(60ms);
  }
  return program.find("> " + row).has_value();
}

// Esc, then the pause that tells a lone Esc from the start of an Alt key.
inline void escape(PtySession& program) {
  using namespace std::chrono_literals;
  program.send("\x1b");
  program.pump(200ms);
}

}  // namespace e2e
