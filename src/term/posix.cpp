#include "term/posix.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quorvelan::term {

bool write_all(int fd, std::string_view bytes) noexcept {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const auto n = ::write(fd, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

Error errno_error(const char* what) { return Error(std::strerror(errno)).context(what); }

}  // namespace quorvelan::term
