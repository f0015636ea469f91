#include "files.hpp"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>
#include <system_error>

#include "utf8.hpp"

namespace quorvelan::files {
namespace {

namespace fs = std::filesystem;

std::string os_error(int code) {
  return fmt::format("{} (os error {})", std::strerror(code), code);
}

// Closes the descriptor when the scope ends, unless it was closed on purpose.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  [[nodiscard]] int get() const { return fd_; }
  // Closing can report a write that failed late (on network file systems, for one).
  int close() {
    int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

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

// A fresh name beside the target; created exclusively, so two saves never share one.
Result<std::pair<fs::path, int>> create_temporary_beside(const fs::path& path) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path temporary = path.parent_path() / fmt::format(".{}.{}-{}.tmp", path.filename().string(),
                                                          ::getpid(), counter++);
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return std::pair{temporary, fd};
    if (errno != EEXIST) {
      return fail(fmt::format("cannot create a file in {}: {}", debug_path(path.parent_path()),
                              os_error(errno)));
    }
  }
  return fail(fmt::format("cannot create a temporary file beside {}", debug_path(path)));
}

// Fills the temporary file and brings it to the disk.
Result<void> fill(const fs::path& path, Descriptor& fd, std::string_view bytes) {
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    ::fchmod(fd.get(), existing.st_mode & 07777);  // keep the old file's permissions
  }
  if (!write_all(fd.get(), bytes) || ::fsync(fd.get()) != 0 || fd.close() != 0) {
    return fail(fmt::format("cannot write {}: {}", debug_path(path), os_error(errno)));
  }
  return {};
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
  fs::path folder = path.parent_path();
  if (!folder.empty()) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) {
      return fail(
          fmt::format("cannot create folder {}: {}", debug_path(folder), os_error(error.value())));
    }
  }
  auto temporary = create_temporary_beside(path);
  if (!temporary) return std::unexpected(temporary.error());
  auto& [temporary_path, raw_fd] = *temporary;
  Descriptor fd(raw_fd);

  auto filled = fill(path, fd, bytes);
  if (filled && ::rename(temporary_path.c_str(), path.c_str()) != 0) {
    filled = fail(fmt::format("cannot replace {}: {}", debug_path(path), os_error(errno)));
  }
  if (!filled) {
    ::unlink(temporary_path.c_str());
    return filled;
  }
  // The rename itself reaches the disk with the folder.
  Descriptor folder_fd(
      ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder_fd.get() >= 0) ::fsync(folder_fd.get());
  return {};
}

}  // namespace quorvelan::files
