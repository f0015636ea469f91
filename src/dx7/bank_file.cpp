#include "dx7/bank_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>

namespace quorvelan::dx7::bank_file {
namespace {

using DumpBytes = std::array<std::uint8_t, sysex::kBulkDumpSize>;

// Up to a dump's worth of bytes from the start of the open file, when it is a regular file.
std::optional<std::size_t> read_regular(int fd, DumpBytes& bytes) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  return filled;
}

// Opening without blocking and checking the opened file (not the name) leaves no moment in
// which a FIFO could be swapped in and hang the caller.
std::optional<std::size_t> read_prefix(const std::filesystem::path& path, DumpBytes& bytes) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  auto length = read_regular(fd, bytes);
  ::close(fd);
  return length;
}

}  // namespace

std::optional<sysex::Dx7Bank> read_bank(const std::filesystem::path& path) {
  DumpBytes bytes{};
  auto length = read_prefix(path, bytes);
  if (!length) return std::nullopt;
  auto bank = sysex::parse_bulk_dump(std::span<const std::uint8_t>(bytes.data(), *length));
  if (!bank) return std::nullopt;
  return *std::move(bank);
}

}  // namespace quorvelan::dx7::bank_file
