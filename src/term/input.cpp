#include "term/input.hpp"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <string_view>

#include "term/posix.hpp"

namespace quorvelan::term {

namespace {

// How long the rest of an escape sequence may take to arrive after its ESC.
constexpr std::chrono::milliseconds escape_wait{25};
// How long a paste may pause before its end marker is given up for lost, so that the keys typed
// after it work again. A slow remote link delivers a long paste in pieces with pauses of half a
// second and more between them; a paste cut short there would run its rest as keys. A lost end
// marker is rare (the link dropped bytes), so waiting this long for the keyboard costs little.
constexpr std::chrono::milliseconds paste_pause{1500};

// The self-pipe that the SIGWINCH handler writes to; static so that the handler can reach it.
int wake_read = -1;
std::atomic<int> wake_write{-1};
struct sigaction previous_winch {};

void on_window_change(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const auto n = ::write(wake_write.load(), &byte, 1);  // full pipe: already woken
  errno = saved;
}

void drain(int fd) {
  char bytes[64];
  while (::read(fd, bytes, sizeof bytes) > 0) {
  }
}

}  // namespace

Input::Input(int fd, const char* terminal_name) : fd_(fd), decoder_(terminal_name) {}

Result<std::unique_ptr<Input>> Input::open(int fd, const char* terminal_name) {
  if (wake_read >= 0) return fail("Terminal input is already open");
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) {
    return std::unexpected(errno_error("Failed to create the window-size wake pipe"));
  }
  for (const int end : pipe_fds) {
    ::fcntl(end, F_SETFL, O_NONBLOCK);  // the handler must never block, nor the drain
    ::fcntl(end, F_SETFD, FD_CLOEXEC);
  }
  wake_read = pipe_fds[0];
  wake_write = pipe_fds[1];
  struct sigaction action {};
  action.sa_handler = on_window_change;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  if (::sigaction(SIGWINCH, &action, &previous_winch) != 0) {
    const Error error = errno_error("Failed to install the window-size handler");
    ::close(wake_read);
    ::close(wake_write);
    wake_read = -1;
    wake_write = -1;
    return std::unexpected(error);
  }
  return std::unique_ptr<Input>(new Input(fd, terminal_name));
}

Input::~Input() {
  ::sigaction(SIGWINCH, &previous_winch, nullptr);
  ::close(wake_read);
  ::close(wake_write);
  wake_read = -1;
  wake_write = -1;
}

Result<std::optional<Event>> Input::wait(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (auto event = decoder_.next()) return event;
    // Pending bytes are decided once input has paused for long enough, and only after a look
    // that finds nothing more has come.
    const auto decide_at = last_input_ + (decoder_.in_paste() ? paste_pause : escape_wait);
    const bool pending = decoder_.has_pending();
    const auto wake_at = pending ? std::min(deadline, decide_at) : deadline;
    const auto wait_for = std::chrono::ceil<std::chrono::milliseconds>(wake_at - Clock::now());
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_read, POLLIN, 0}};
    const int ready = ::poll(fds, 2, static_cast<int>(std::max<std::int64_t>(wait_for.count(), 0)));
    if (ready < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(errno_error("Failed to wait for terminal input"));
    }
    if (fds[1].revents & POLLIN) {
      drain(wake_read);
      return Event{ResizeEvent{}};
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      char bytes[1024];
      const auto n = ::read(fd_, bytes, sizeof bytes);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n < 0) return std::unexpected(errno_error("Failed to read terminal input"));
      if (n == 0) return fail("Terminal input closed");
      decoder_.push(std::string_view(bytes, static_cast<std::size_t>(n)));
      last_input_ = Clock::now();
      // Bytes that keep coming never hold the caller past its time: a sequence still growing
      // waits in the decoder for the next call.
      if (last_input_ >= deadline) return decoder_.next();
      continue;
    }
    if (pending && Clock::now() >= decide_at) {
      if (auto event = decoder_.flush()) return event;
    }
    if (Clock::now() >= deadline) return std::nullopt;
  }
}

}  // namespace quorvelan::term
