#pragma once
// Whole-file reads and crash-safe whole-file writes of the user's data.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "error.hpp"

namespace quorvelan::files {

// The path as log lines show it: in double quotes, with quotes, backslashes and control
// characters escaped, and bytes that are not UTF-8 as \xNN.
std::string debug_path(const std::filesystem::path& path);

// At most the first `limit` bytes of the file. Only a regular file (links followed) is read, so a
// FIFO or a device under the name never blocks the caller.
Result<std::string> read_prefix(const std::filesystem::path& path, std::size_t limit);

// The whole file, which must be UTF-8 text.
Result<std::string> read_text(const std::filesystem::path& path);

// Replaces the file with `bytes`, creating missing folders above it. The bytes go to a temporary
// file beside it (whose name ends in ".tmp", so no listing shows it), reach the disk, and only
// then take the file's place: a crash or a full disk leaves the old file as it was.
// A symbolic link stays: the file it leads to is replaced, in that file's own folder. What a
// write could not change is refused as it would be: a file the user may not write, or something
// that is not a regular file. Temporary files that crashed saves left in that folder go first.
Result<void> write_atomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace quorvelan::files
