#pragma once
// Keys as a terminal sends them, for end-to-end tests that press their way through the views.

#include <gtest/gtest.h>

#include <chrono>

#include "e2e/pty_screen.hpp"

namespace e2e {

inline constexpr const char* kUp = "\x1b[A";
inline constexpr const char* kDown = "\x1b[B";
inline constexpr const char* kRight = "\x1b[C";
inline constexpr const char* kLeft = "\x1b[D";

inline void send_times(PtySession& program, const char* key, int times) {
  for (int i = 0; i < times; ++i) program.send(key);
}

// Esc, then the pause that tells a lone Esc from the start of an Alt key.
inline void escape(PtySession& program) {
  using namespace std::chrono_literals;
  program.send("\x1b");
  program.pump(200ms);
}

// From the project list at start into a new project's sequencer view.
inline void open_new_project(PtySession& program) {
  using namespace std::chrono_literals;
  ASSERT_TRUE(program.wait_for_text("+ New Project", 10s)) << program.screen_text();
  program.send("\r");
  ASSERT_TRUE(program.wait_for_text("[SEQ]", 5s)) << program.screen_text();
}

}  // namespace e2e
