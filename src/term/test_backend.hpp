#pragma once
// Frames drawn into memory instead of a terminal, so that drawing code is tested by reading the
// cells it produced.

#include <cstdint>
#include <functional>
#include <string>

#include "term/buffer.hpp"

namespace quorvelan::term {

class TestBackend {
 public:
  TestBackend(std::uint16_t width, std::uint16_t height);

  // Like Terminal::draw: `render` gets a fresh buffer of the backend's size.
  void draw(const std::function<void(Buffer&)>& render);

  [[nodiscard]] const Buffer& buffer() const { return buffer_; }
  // The cell at (x, y) of the last frame; the position must lie inside it.
  [[nodiscard]] const Cell& cell(int x, int y) const;
  // The symbols of row `y` of the last frame, one per grapheme.
  [[nodiscard]] std::string row(int y) const;

 private:
  Buffer buffer_;
};

}  // namespace quorvelan::term
