#pragma once
// The two helpers that the terminal's system calls share.

#include <string_view>

#include "error.hpp"

namespace quorvelan::term {

// Writes all of `bytes` to `fd`, retrying after interruptions and partial writes. False on
// failure (errno says why). Async-signal-safe: only write(2).
bool write_all(int fd, std::string_view bytes) noexcept;

// The error of the last failed system call (errno), under `what`.
Error errno_error(const char* what);

}  // namespace quorvelan::term
