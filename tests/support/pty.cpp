#include "support/pty.hpp"

#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <stdexcept>

namespace test_support {

Pty::Pty(unsigned short width, unsigned short height) {
  winsize size{height, width, 0, 0};
  if (::openpty(&user_, &terminal_, nullptr, nullptr, &size) != 0) {
    throw std::runtime_error("openpty failed");
  }
}

Pty::~Pty() {
  hang_up();
  ::close(terminal_);
}

void Pty::resize(unsigned short width, unsigned short height) {
  winsize size{height, width, 0, 0};
  ::ioctl(user_, TIOCSWINSZ, &size);
}

void Pty::type(const std::string& bytes) {
  if (::write(user_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    throw std::runtime_error("typing into the pty failed");
  }
}

std::string Pty::drawn() {
  std::string bytes;
  pollfd fd{user_, POLLIN, 0};
  char chunk[4096];
  while (::poll(&fd, 1, 50) > 0 && (fd.revents & POLLIN)) {
    const auto n = ::read(user_, chunk, sizeof chunk);
    if (n <= 0) break;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  return bytes;
}

void Pty::hang_up() {
  if (user_ >= 0) ::close(user_);
  user_ = -1;
}

}  // namespace test_support
