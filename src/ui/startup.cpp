#include "ui/startup.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "log.hpp"

#ifdef __APPLE__
#include <climits>
#endif

namespace quorvelan::ui::startup {
namespace {

std::optional<std::filesystem::path> per_user_temp_directory() {
#ifdef __APPLE__
  char buffer[PATH_MAX];
  auto length = confstr(_CS_DARWIN_USER_TEMP_DIR, buffer, sizeof buffer);
  if (length > 0 && length <= sizeof buffer) return std::filesystem::path(buffer);
#endif
  return std::nullopt;
}

}  // namespace

std::filesystem::path temp_directory() {
  if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir != nullptr && *tmpdir != '\0') {
    return tmpdir;
  }
  return per_user_temp_directory().value_or("/tmp");
}

bool redirect_stderr_to_log(const std::filesystem::path& directory) {
  auto path = directory / kLogFileName;
  // In a shared temporary folder the name may be a planted link: never follow one. Opening
  // without blocking keeps a planted FIFO from hanging start-up.
  int fd = open(path.c_str(),
                O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return false;
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  struct stat info {};
  bool usable = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid();
  bool moved = usable && dup2(fd, STDERR_FILENO) >= 0;
  close(fd);
  return moved;
}

void start_logging() {
  log::init_from_env();
  log::target("quorvelan")->info("Quorvelan - Terminal FM Groovebox");
}

}  // namespace quorvelan::ui::startup
