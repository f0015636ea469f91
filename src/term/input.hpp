#pragma once
// Waiting for terminal input with a time-out; a window-size change wakes the wait.

#include <chrono>
#include <memory>
#include <optional>

#include "error.hpp"
#include "term/keys.hpp"

namespace quorvelan::term {

class Input {
 public:
  // Reads keys from `fd` (the terminal, in raw mode) and listens for SIGWINCH. Only one Input may
  // exist at a time: it owns the process's SIGWINCH handler while it lives.
  static Result<std::unique_ptr<Input>> open(int fd, const char* terminal_name);
  ~Input();
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  // The next event, waiting at most `timeout` for it, however input arrives: a sequence still
  // incomplete then waits for the next call. A lone Esc is reported once input has paused for a
  // short wait, which tells it from the start of a longer sequence. Nothing when the time ran out.
  Result<std::optional<Event>> wait(std::chrono::milliseconds timeout);

 private:
  Input(int fd, const char* terminal_name);

  using Clock = std::chrono::steady_clock;

  int fd_;
  KeyDecoder decoder_;
  Clock::time_point last_input_;  // when bytes were last read
};

}  // namespace quorvelan::term
