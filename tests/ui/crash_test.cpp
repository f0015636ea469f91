#include "ui/crash.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <exception>

namespace quorvelan::ui::crash {
namespace {

void write_marker() noexcept {
  const char marker[] = "terminal restored\n";
  [[maybe_unused]] auto written = write(STDERR_FILENO, marker, sizeof marker - 1);
}

// Each crash runs in a child process; the parent checks that the terminal was given back first
// and that the crash still ended the process the way it would have without the handler.
TEST(CrashHandler, FatalSignalRestoresTheTerminalThenDiesOfTheSignal) {
  EXPECT_EXIT(
      {
        install(write_marker);
        std::raise(SIGILL);
      },
      ::testing::KilledBySignal(SIGILL), "terminal restored");
}

TEST(CrashHandler, UncaughtExceptionRestoresTheTerminalThenAborts) {
  EXPECT_DEATH(
      {
        install(write_marker);
        std::terminate();
      },
      "terminal restored");
}

TEST(CrashHandler, ASignalToEndRestoresTheTerminalThenExitsWith128PlusItsNumber) {
  for (const int signal_number : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
    EXPECT_EXIT(
        {
          std::signal(signal_number, SIG_DFL);  // whatever the test runner inherited
          install(write_marker);
          std::raise(signal_number);
        },
        ::testing::ExitedWithCode(128 + signal_number), "terminal restored")
        << "signal " << signal_number;
  }
}

TEST(CrashHandler, ABrokenPipeDoesNotKillTheProgram) {
  EXPECT_EXIT(
      {
        install(write_marker);
        std::raise(SIGPIPE);
        std::_Exit(7);
      },
      ::testing::ExitedWithCode(7), "");
}

}  // namespace
}  // namespace quorvelan::ui::crash
