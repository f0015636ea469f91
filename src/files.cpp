#include "files.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <fmt/format.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <limits>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "utf8.hpp"

namespace quorvelan::files {
namespace {

namespace fs = std::filesystem;

std::string os_error(int code) {
  return fmt::format("{} (os error {})", std::strerror(code), code);
}

// Closes the descriptor when the scope ends.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  [[nodiscard]] int get() const { return fd_; }

 private:
  int fd_;
};

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// The file a save replaces: the path itself, or the file its symbolic links lead to, so that the
// links stay and keep pointing at what was saved (a link to no file yet gets its file).
Result<fs::path> final_target(fs::path path) {
  constexpr int kMaxLinks = 40;  // the kernel's own limit on links followed in one lookup
  for (int links = 0; links <= kMaxLinks; ++links) {
    std::error_code error;
    fs::path link = fs::read_symlink(path, error);
    if (error) return path;
    path = path.parent_path() / link;  // a relative link is relative to its own folder
  }
  return fail(fmt::format("cannot write {}: {}", debug_path(path), os_error(ELOOP)));
}

// Temporary files are ".quorvelan.PID-N.tmp": short, so that any name the folder takes can be
// saved, and ending in ".tmp", so that no listing shows them. Their writer holds a lock on them
// while it lives, which the kernel drops when it dies, however it dies; a process id alone could
// belong to another process by then. Earlier versions wrote ".NAME.json.PID-N.tmp" without a
// lock: for those the id is all there is.
constexpr std::string_view kTemporaryPrefix = ".quorvelan";
constexpr std::string_view kTemporarySuffix = ".tmp";

struct TemporaryName {
  bool locked_form;
  pid_t writer;
};

std::optional<TemporaryName> parse_temporary_name(std::string_view name) {
  if (!name.starts_with('.') || !name.ends_with(kTemporarySuffix)) return std::nullopt;
  name.remove_suffix(kTemporarySuffix.size());
  const auto dot = name.rfind('.');
  const auto dash = name.rfind('-');
  if (dot == std::string_view::npos || dash == std::string_view::npos || dash < dot) {
    return std::nullopt;
  }
  const std::string_view owner = name.substr(0, dot);
  const auto spells = [](std::string_view digits, auto& number) {
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    return error == std::errc{} && end == digits.data() + digits.size();
  };
  pid_t writer = 0;
  unsigned long counter = 0;
  if (!spells(name.substr(dot + 1, dash - dot - 1), writer) ||
      !spells(name.substr(dash + 1), counter) || writer <= 0) {
    return std::nullopt;
  }
  if (owner == kTemporaryPrefix) return TemporaryName{true, writer};
  if (owner.size() > 6 && owner.ends_with(".json")) return TemporaryName{false, writer};
  return std::nullopt;
}

// Removes the temporary file when the save that made it can no longer finish: its writer's lock
// is free, or, for the older names, no process runs under the writer's id (this one never writes
// those, so its own id there is a program before it that had the same id).
void remove_if_abandoned(int folder_fd, const char* name, const TemporaryName& temporary) {
  struct stat info {};
  if (!temporary.locked_form) {
    const bool gone =
        temporary.writer == ::getpid() || (::kill(temporary.writer, 0) != 0 && errno == ESRCH);
    if (gone && ::fstatat(folder_fd, name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(info.st_mode)) {
      ::unlinkat(folder_fd, name, 0);
    }
    return;
  }
  Descriptor fd(::openat(folder_fd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return;
  // Unlinked while the lock is held, so that a writer that opened it a moment ago sees it gone.
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) ::unlinkat(folder_fd, name, 0);
}

// Crashed saves leave their temporary files behind; each can be as large as the project.
void remove_abandoned_temporaries(int folder_fd) {
  const int listing_fd = ::dup(folder_fd);
  DIR* listing = listing_fd >= 0 ? ::fdopendir(listing_fd) : nullptr;
  if (listing == nullptr) {
    if (listing_fd >= 0) ::close(listing_fd);
    return;
  }
  while (const dirent* entry = ::readdir(listing)) {
    if (auto temporary = parse_temporary_name(entry->d_name)) {
      remove_if_abandoned(folder_fd, entry->d_name, *temporary);
    }
  }
  ::closedir(listing);
}

// Locks a new temporary file for its writer. A cleaner may have taken the lock between the
// creation and this call and removed the file: then it is not ours to use. Where the file system
// has no locks, no cleaner can take them either.
bool claim(int fd) {
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return errno != EWOULDBLOCK;
  struct stat info {};
  return ::fstat(fd, &info) == 0 && info.st_nlink > 0;
}

// A fresh name in the folder; created exclusively, so two saves never share one.
Result<std::pair<std::string, Descriptor>> create_temporary(int folder_fd, const fs::path& folder) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name =
        fmt::format("{}.{}-{}{}", kTemporaryPrefix, ::getpid(), counter++, kTemporarySuffix);
    Descriptor fd(::openat(folder_fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() >= 0 && claim(fd.get())) return std::pair{std::move(name), std::move(fd)};
    if (fd.get() < 0 && errno != EEXIST) {
      return fail(
          fmt::format("cannot create a file in {}: {}", debug_path(folder), os_error(errno)));
    }
  }
  return fail(fmt::format("cannot create a temporary file in {}", debug_path(folder)));
}

// The permission bits a replacement keeps: those of the file it replaces, none for a new file.
// A rename would replace what a write could not: a file the user may not write, or something
// that is not a file at all. Both are refused as that write would refuse them.
Result<std::optional<mode_t>> check_replaceable(int folder_fd, const char* name,
                                                const fs::path& path) {
  struct stat existing {};
  if (::fstatat(folder_fd, name, &existing, 0) != 0) {
    if (errno == ENOENT) return std::nullopt;
    return fail(fmt::format("cannot write {}: {}", debug_path(path), os_error(errno)));
  }
  if (!S_ISREG(existing.st_mode)) {
    return fail(fmt::format("cannot replace {}: not a regular file", debug_path(path)));
  }
  if (::faccessat(folder_fd, name, W_OK, AT_EACCESS) != 0) {
    return fail(fmt::format("cannot write {}: {}", debug_path(path), os_error(errno)));
  }
  return existing.st_mode & 07777;
}

}  // namespace

std::string debug_path(const fs::path& path) {
  std::string_view bytes = path.native();
  std::string text = "\"";
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    auto c = static_cast<unsigned char>(bytes[at]);
    switch (c) {
      case '"':
        text += "\\\"";
        break;
      case '\\':
        text += "\\\\";
        break;
      case '\n':
        text += "\\n";
        break;
      case '\r':
        text += "\\r";
        break;
      case '\t':
        text += "\\t";
        break;
      case '\0':
        text += "\\0";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          text += fmt::format("\\u{{{:x}}}", c);
        } else if (c < 0x80) {
          text += static_cast<char>(c);
        } else {
          // Keep whole UTF-8 characters; show stray bytes by value.
          if (std::size_t length = utf8::character_length(bytes, at); length > 0) {
            text.append(bytes.substr(at, length));
            at += length - 1;
          } else {
            text += fmt::format("\\x{:02X}", c);
          }
        }
    }
  }
  return text + "\"";
}

Result<std::string> read_prefix(const fs::path& path, std::size_t limit) {
  // Opened without blocking and checked before reading: a FIFO or device under a listed name
  // would otherwise hang the program. A folder still fails with the file system's own error.
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0)
    return fail(fmt::format("cannot read {}: {}", debug_path(path), os_error(errno)));
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0)
    return fail(fmt::format("cannot read {}: {}", debug_path(path), os_error(errno)));
  if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
    return fail(fmt::format("cannot read {}: not a regular file", debug_path(path)));
  std::string bytes;
  char buffer[65536];
  while (bytes.size() < limit) {
    ssize_t count = ::read(fd.get(), buffer, std::min(sizeof buffer, limit - bytes.size()));
    if (count == 0) break;
    if (count < 0) {
      if (errno == EINTR) continue;
      return fail(fmt::format("cannot read {}: {}", debug_path(path), os_error(errno)));
    }
    bytes.append(buffer, static_cast<std::size_t>(count));
  }
  return bytes;
}

Result<std::string> read_text(const fs::path& path) {
  auto bytes = read_prefix(path, std::numeric_limits<std::size_t>::max());
  if (bytes && !utf8::is_valid(*bytes)) {
    return fail(
        fmt::format("cannot read {}: stream did not contain valid UTF-8", debug_path(path)));
  }
  return bytes;
}

Result<void> write_atomically(const fs::path& path, std::string_view bytes) {
  if (fs::path folder = path.parent_path(); !folder.empty()) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
      return fail(
          fmt::format("cannot create folder {}: {}", debug_path(folder), os_error(error.value())));
    }
  }
  auto target = final_target(path);
  if (!target) return std::unexpected(target.error());
  const fs::path folder = target->has_parent_path() ? target->parent_path() : fs::path(".");
  const std::string name = target->filename();
  // Every step below works inside this one folder, wherever its path leads meanwhile.
  Descriptor folder_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder_fd.get() < 0) {
    return fail(fmt::format("cannot create a file in {}: {}", debug_path(folder), os_error(errno)));
  }
  auto kept_mode = check_replaceable(folder_fd.get(), name.c_str(), *target);
  if (!kept_mode) return std::unexpected(kept_mode.error());
  remove_abandoned_temporaries(folder_fd.get());

  auto temporary = create_temporary(folder_fd.get(), folder);
  if (!temporary) return std::unexpected(temporary.error());
  const auto& [temporary_name, fd] = *temporary;
  // The temporary file stays open, and so locked, until it has taken the file's place. Once
  // fsync has succeeded, closing has nothing left to report.
  if (*kept_mode) ::fchmod(fd.get(), **kept_mode);
  Result<void> outcome;
  if (!write_all(fd.get(), bytes) || ::fsync(fd.get()) != 0) {
    outcome = fail(fmt::format("cannot write {}: {}", debug_path(*target), os_error(errno)));
  } else if (::renameat(folder_fd.get(), temporary_name.c_str(), folder_fd.get(), name.c_str()) !=
             0) {
    outcome = fail(fmt::format("cannot replace {}: {}", debug_path(*target), os_error(errno)));
  }
  if (!outcome) {
    ::unlinkat(folder_fd.get(), temporary_name.c_str(), 0);
    return outcome;
  }
  ::fsync(folder_fd.get());  // the rename itself reaches the disk with the folder
  return {};
}

}  // namespace quorvelan::files
