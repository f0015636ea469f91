#include "e2e/pty_screen.hpp"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vterm.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "term/width.hpp"

namespace e2e {
namespace {

// The longest a frame that has begun to arrive may take to arrive whole.
constexpr auto kFrameLimit = std::chrono::seconds(5);

std::optional<Rgb> colour_of(const VTermScreen* screen, VTermColor colour, bool is_default) {
  if (is_default) return std::nullopt;
  vterm_screen_convert_color_to_rgb(screen, &colour);
  return Rgb{colour.rgb.red, colour.rgb.green, colour.rgb.blue};
}

// True when the program's main thread sleeps in a call other than a write: every frame it began
// has then been written whole. Where the kernel does not say (no /proc), it counts as true.
bool main_thread_waits(int pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/syscall");
  std::string call;
  if (!(file >> call)) return true;
  if (call == "running") return false;
  const long number = std::strtol(call.c_str(), nullptr, 10);
  return number != SYS_write && number != SYS_writev;
}

}  // namespace

Rgb rgb(std::string_view hex) {
  auto value = std::stoul(std::string(hex), nullptr, 16);
  return Rgb{static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value)};
}

PtySession::PtySession(const PtyOptions& options) : rows_(options.rows), cols_(options.cols) {
  vt_ = vterm_new(rows_, cols_);
  vterm_set_utf8(vt_, 1);
  screen_ = vterm_obtain_screen(vt_);
  vterm_screen_enable_altscreen(screen_, 1);
  vterm_screen_reset(screen_, 1);

  winsize size{};
  size.ws_row = static_cast<unsigned short>(rows_);
  size.ws_col = static_cast<unsigned short>(cols_);
  pid_ = forkpty(&master_fd_, nullptr, nullptr, &size);
  if (pid_ < 0) throw std::runtime_error(std::string("forkpty: ") + std::strerror(errno));
  if (pid_ == 0) {
    setenv("TERM", "xterm-256color", 1);
    for (const auto& [name, value] : options.env) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
    std::vector<char*> argv;
    for (const auto& arg : options.argv) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  fcntl(master_fd_, F_SETFL, fcntl(master_fd_, F_GETFL) | O_NONBLOCK);
}

PtySession::~PtySession() {
  if (running() && pid_ > 0) {
    kill(pid_, SIGKILL);
    reap(true);
  }
  if (master_fd_ >= 0) close(master_fd_);
  vterm_free(vt_);
}

void PtySession::send(std::string_view bytes) {
  while (!bytes.empty()) {
    auto written = write(master_fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EAGAIN || errno == EINTR) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      return;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

template <class Act>
std::string PtySession::terminal_reply(Act act) {
  char discarded[256];
  while (vterm_output_read(vt_, discarded, sizeof discarded) > 0) {
  }
  act();
  std::string reply(vterm_output_get_buffer_current(vt_), '\0');
  reply.resize(vterm_output_read(vt_, reply.data(), reply.size()));
  return reply;
}

void PtySession::paste(std::initializer_list<std::string_view> pieces,
                       std::chrono::milliseconds pause) {
  send(terminal_reply([this] { vterm_keyboard_start_paste(vt_); }));
  bool first = true;
  for (const auto piece : pieces) {
    if (!first) pump(pause);
    first = false;
    send(piece);
  }
  send(terminal_reply([this] { vterm_keyboard_end_paste(vt_); }));
}

bool PtySession::marks_pastes() {
  return !terminal_reply([this] { vterm_keyboard_start_paste(vt_); }).empty();
}

bool PtySession::wait_until_pastes_marked(std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end && running()) {
    read_available(1);
    if (marks_pastes()) return true;
    reap(false);
  }
  return false;
}

void PtySession::read_available(int timeout_ms) {
  pollfd pfd{master_fd_, POLLIN, 0};
  if (poll(&pfd, 1, timeout_ms) <= 0) return;
  drain();
}

bool PtySession::drain() {
  bool took_any = false;
  char buffer[8192];
  for (;;) {
    auto got = read(master_fd_, buffer, sizeof buffer);
    if (got <= 0) return took_any;
    vterm_input_write(vt_, buffer, static_cast<std::size_t>(got));
    took_any = true;
  }
}

// A frame reaches the pty in pieces, and the screen between two pieces shows part of the new
// frame over the old one. Once the program waits with nothing left unread, every frame it began
// before it waited has been read whole (a read of the pty takes in what the writer has queued).
void PtySession::settle() {
  const auto end = std::chrono::steady_clock::now() + kFrameLimit;
  drain();
  while (std::chrono::steady_clock::now() < end) {
    reap(false);
    if (!running()) {
      drain();
      return;
    }
    if (main_thread_waits(pid_) && !drain()) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    drain();
  }
}

void PtySession::pump(std::chrono::milliseconds duration) {
  auto end = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < end) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    read_available(static_cast<int>(std::max<long>(1, left.count())));
    reap(false);
  }
  settle();
}

bool PtySession::wait_for_text(std::string_view text, std::chrono::milliseconds timeout) {
  auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    read_available(20);
    if (find(text)) {
      settle();
      return true;
    }
    reap(false);
  }
  return find(text).has_value();
}

void PtySession::reap(bool block) {
  if (pid_ <= 0 || !running()) return;
  int status = 0;
  auto result = waitpid(pid_, &status, block ? 0 : WNOHANG);
  if (result != pid_) return;
  if (WIFEXITED(status)) exit_status_ = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) signalled_ = true;
}

std::optional<int> PtySession::wait_exit(std::chrono::milliseconds timeout) {
  auto end = std::chrono::steady_clock::now() + timeout;
  while (running() && std::chrono::steady_clock::now() < end) {
    read_available(10);
    reap(false);
  }
  read_available(0);
  return exit_status_;
}

void PtySession::resize(int rows, int cols) {
  rows_ = rows;
  cols_ = cols;
  vterm_set_size(vt_, rows, cols);
  winsize size{};
  size.ws_row = static_cast<unsigned short>(rows);
  size.ws_col = static_cast<unsigned short>(cols);
  ioctl(master_fd_, TIOCSWINSZ, &size);
  if (pid_ > 0 && running()) kill(pid_, SIGWINCH);
}

termios PtySession::modes() const {
  termios settings{};
  if (tcgetattr(master_fd_, &settings) != 0) {
    throw std::runtime_error(std::string("tcgetattr: ") + std::strerror(errno));
  }
  return settings;
}

ScreenCell PtySession::cell(int row, int col) const {
  VTermScreenCell raw{};
  ScreenCell out;
  if (vterm_screen_get_cell(screen_, VTermPos{row, col}, &raw) == 0) return out;
  for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && raw.chars[i] != 0; ++i) {
    out.text += quorvelan::term::encode_utf8(raw.chars[i]);
  }
  if (out.text.empty() && raw.width == 1) out.text = " ";
  out.fg = colour_of(screen_, raw.fg, VTERM_COLOR_IS_DEFAULT_FG(&raw.fg));
  out.bg = colour_of(screen_, raw.bg, VTERM_COLOR_IS_DEFAULT_BG(&raw.bg));
  out.bold = raw.attrs.bold;
  out.underline = raw.attrs.underline != 0;
  out.reverse = raw.attrs.reverse;
  return out;
}

std::string PtySession::row_text(int row) const {
  std::string text;
  for (int col = 0; col < cols_; ++col) text += cell(row, col).text;
  return text;
}

std::string PtySession::screen_text() const {
  std::string text;
  for (int row = 0; row < rows_; ++row) {
    if (row) text += '\n';
    text += row_text(row);
  }
  return text;
}

std::optional<std::pair<int, int>> PtySession::find(std::string_view text) const {
  for (int row = 0; row < rows_; ++row) {
    auto line = row_text(row);
    auto at = line.find(text);
    if (at == std::string::npos) continue;
    // Convert the byte offset into a column by walking the row's cells.
    std::size_t bytes = 0;
    for (int col = 0; col < cols_; ++col) {
      if (bytes >= at) return std::pair{row, col};
      bytes += cell(row, col).text.size();
    }
  }
  return std::nullopt;
}

}  // namespace e2e
