#pragma once
// The first two steps of start-up: the log file in the temporary directory, with standard error
// redirected onto it so nothing logged can disturb the screen, and the logger.

#include <filesystem>
#include <optional>
#include <string>

namespace quorvelan::ui::startup {

inline constexpr const char* kLogFileName = "quorvelan.log";

// TMPDIR when set to a non-empty value, else the per-user temporary directory where the platform
// has one, else "/tmp".
std::filesystem::path temp_directory();

// Opens "quorvelan.log" in the directory for appending (created 0666 before the umask) and
// moves standard error onto it. A link, a file of another user or anything but a regular file is
// refused: the log stays on the old standard error. Returns whether standard error was moved.
bool redirect_stderr_to_log(const std::filesystem::path& directory);

// Starts the loggers from the environment and writes the first line.
void start_logging();

}  // namespace quorvelan::ui::startup
