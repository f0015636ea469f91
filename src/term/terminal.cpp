#include "term/terminal.hpp"

#include <string>
#include <utility>

#include "term/control.hpp"
#include "term/diff.hpp"
#include "term/posix.hpp"

namespace quorvelan::term {

Terminal::Terminal(int fd) : fd_(fd) {}

Terminal::~Terminal() {
  if (cursor_hidden_) (void)show_cursor(fd_);
}

Result<void> Terminal::draw(const std::function<void(Buffer&)>& render) {
  const auto size = terminal_size(fd_);
  if (!size) return std::unexpected(size.error().context("Failed to draw the screen"));
  Buffer next(Rect{0, 0, size->width, size->height});
  render(next);
  if (!cursor_hidden_) {
    if (auto hidden = hide_cursor(fd_); !hidden) {
      return std::unexpected(hidden.error().context("Failed to draw the screen"));
    }
    cursor_hidden_ = true;
  }

  std::string bytes;
  if (previous_.area() != next.area()) {
    bytes = "\x1b[0m\x1b[2J";
    previous_ = Buffer(next.area());  // what the cleared screen shows
  }
  bytes += diff(previous_, next);
  previous_ = std::move(next);

  if (!write_all(fd_, bytes)) return std::unexpected(errno_error("Failed to draw the screen"));
  return {};
}

}  // namespace quorvelan::term
