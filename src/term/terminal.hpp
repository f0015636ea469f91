#pragma once
// The drawing terminal: each frame is drawn whole into a fresh buffer, compared with the frame
// before, and only the changed cells are written.

#include <functional>

#include "error.hpp"
#include "term/buffer.hpp"

namespace quorvelan::term {

class Terminal {
 public:
  // Draws on the terminal at `fd` (the size is read from it for every frame).
  explicit Terminal(int fd);
  // Shows the cursor again when drawing hid it.
  ~Terminal();
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  // Calls `render` with a fresh buffer of the terminal's current size, then writes the changes
  // against the previous frame in a single write. When the size changed (and on the first frame)
  // the screen is cleared and everything drawn is written. The cursor is hidden from the first
  // frame on: it would otherwise blink wherever the last changed cell was written.
  Result<void> draw(const std::function<void(Buffer&)>& render);

 private:
  int fd_;
  Buffer previous_;
  bool cursor_hidden_ = false;
};

}  // namespace quorvelan::term
