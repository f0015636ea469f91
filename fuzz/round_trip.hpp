#pragma once
// The property of the file readers: what reads must write back, read again to an equal value,
// and write again to the same bytes. Files go to a scratch HOME on a memory file system, so the
// program's own load and save functions run as they do for a user.

#include <filesystem>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "error.hpp"
#include "files.hpp"
#include "target.hpp"

namespace quorvelan::fuzz {

// A fresh folder made HOME for this process (the data directory lies inside it), removed at exit.
const std::filesystem::path& scratch_home();

// The whole file, or nothing when it cannot be read.
inline std::string file_bytes(const std::filesystem::path& path) {
  return files::read_prefix(path, std::numeric_limits<std::size_t>::max()).value_or("");
}

// The value a reader gave, or nothing when it refused the file.
template <class T>
std::optional<T> value_read(Result<T> read) {
  if (!read) return std::nullopt;
  return std::move(*read);
}

// The file a save wrote, or the save's error.
inline Result<std::filesystem::path> file_saved(const std::filesystem::path& path,
                                                const Result<void>& saved) {
  if (!saved) return std::unexpected(saved.error());
  return path;
}

// `load` reads the value of a file, or nothing when it refuses the file; `save` writes a value
// and gives the file it wrote.
template <class Load, class Save>
void check_round_trip(std::span<const std::uint8_t> input, const std::filesystem::path& path,
                      Load load, Save save) {
  if (!files::write_atomically(path, {reinterpret_cast<const char*>(input.data()), input.size()})) {
    fail("cannot write the input file");
  }
  const auto first = load(path);
  if (!first) return;
  const Result<std::filesystem::path> written = save(*first);
  if (!written) fail("a value that was read cannot be written back: " + written.error().chain());
  const std::string text = file_bytes(*written);
  const auto second = load(*written);
  if (!second) fail("a file the program wrote cannot be read back:\n" + text);
  if (!(*second == *first)) fail("the value read back differs from the value written:\n" + text);
  const Result<std::filesystem::path> rewritten = save(*second);
  if (!rewritten || file_bytes(*rewritten) != text) {
    fail("writing the value read back gives other bytes than:\n" + text);
  }
}

}  // namespace quorvelan::fuzz
