#include "term/control.hpp"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string_view>

#include "term/posix.hpp"

namespace quorvelan::term {

namespace {

constexpr std::string_view enter_alternate = "\x1b[?1049h";
constexpr std::string_view leave_alternate = "\x1b[?1049l";
constexpr std::string_view hide = "\x1b[?25l";
constexpr std::string_view show = "\x1b[?25h";
constexpr std::string_view paste_marked = "\x1b[?2004h";
constexpr std::string_view paste_unmarked = "\x1b[?2004l";

// What is taken over, readable from a signal handler (lock-free atomics and plain static data).
struct TakenOver {
  termios saved_settings{};
  std::atomic<int> raw_fd{-1};        // terminal in raw mode, or -1
  std::atomic<int> alternate_fd{-1};  // output showing the alternate screen, or -1
  std::atomic<int> hidden_fd{-1};     // output with the cursor hidden, or -1
  std::atomic<int> paste_fd{-1};      // output that asked for bracketed paste, or -1
};
TakenOver taken;
static_assert(std::atomic<int>::is_always_lock_free);

// A mode counts as taken over from before its first byte goes until after the bytes that give
// it back have gone, so that a signal arriving in between still finds it to give back.
Result<void> send(int fd, std::string_view sequence, const char* what, std::atomic<int>& flag,
                  int new_flag) {
  const int before = new_flag >= 0 ? flag.exchange(new_flag) : flag.load();
  if (!write_all(fd, sequence)) {
    flag = before;
    return std::unexpected(errno_error(what));
  }
  flag = new_flag;
  return {};
}

}  // namespace

Result<Size> terminal_size(int fd) {
  winsize ws{};
  if (::ioctl(fd, TIOCGWINSZ, &ws) != 0) {
    return std::unexpected(errno_error("Failed to read the terminal size"));
  }
  return Size{ws.ws_col, ws.ws_row};
}

Result<void> enable_raw_mode(int fd) {
  if (taken.raw_fd >= 0) return {};
  termios settings{};
  if (::tcgetattr(fd, &settings) != 0) {
    return std::unexpected(errno_error("Failed to read the terminal settings"));
  }
  taken.saved_settings = settings;
  taken.raw_fd = fd;  // before the switch, as for the modes below
  settings.c_iflag &=
      ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
  settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
  settings.c_cflag |= CS8;
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  if (::tcsetattr(fd, TCSANOW, &settings) != 0) {
    taken.raw_fd = -1;
    return std::unexpected(errno_error("Failed to switch the terminal to raw mode"));
  }
  return {};
}

Result<void> disable_raw_mode() {
  const int fd = taken.raw_fd;
  if (fd < 0) return {};
  if (::tcsetattr(fd, TCSANOW, &taken.saved_settings) != 0) {
    return std::unexpected(errno_error("Failed to switch raw mode off"));
  }
  taken.raw_fd = -1;
  return {};
}

Result<void> enter_alternate_screen(int fd) {
  return send(fd, enter_alternate, "Failed to enter the alternate screen", taken.alternate_fd, fd);
}
Result<void> leave_alternate_screen(int fd) {
  return send(fd, leave_alternate, "Failed to leave the alternate screen", taken.alternate_fd, -1);
}
Result<void> hide_cursor(int fd) {
  return send(fd, hide, "Failed to hide the cursor", taken.hidden_fd, fd);
}
Result<void> show_cursor(int fd) {
  return send(fd, show, "Failed to show the cursor", taken.hidden_fd, -1);
}
Result<void> enable_bracketed_paste(int fd) {
  return send(fd, paste_marked, "Failed to switch bracketed paste on", taken.paste_fd, fd);
}
Result<void> disable_bracketed_paste(int fd) {
  return send(fd, paste_unmarked, "Failed to switch bracketed paste off", taken.paste_fd, -1);
}

void restore() noexcept {
  const int saved_errno = errno;
  if (const int fd = taken.raw_fd.exchange(-1); fd >= 0) {
    ::tcsetattr(fd, TCSANOW, &taken.saved_settings);
  }
  if (const int fd = taken.paste_fd.exchange(-1); fd >= 0) write_all(fd, paste_unmarked);
  if (const int fd = taken.hidden_fd.exchange(-1); fd >= 0) write_all(fd, show);
  if (const int fd = taken.alternate_fd.exchange(-1); fd >= 0) {
    write_all(fd, leave_alternate);
  }
  errno = saved_errno;
}

}  // namespace quorvelan::term
