#pragma once
// A test fixture that runs the real program with HOME and TMPDIR in fresh temporary folders, so
// nothing touches the real data directory or log file.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "e2e/pty_screen.hpp"

namespace e2e {

inline std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The real program in a terminal of the given size, with HOME and TMPDIR in the given folders,
// on the JACK server of that name.
inline PtyOptions program_options(const std::filesystem::path& home,
                                  const std::filesystem::path& tmp, const char* jack_server,
                                  int rows, int cols) {
  return PtyOptions{
      .argv = {QUORVELAN_BINARY},
      .env = {{"HOME", home.string()},
              {"TMPDIR", tmp.string()},
              {"SPDLOG_LEVEL", "info"},
              {"QUORVELAN_GAMEPAD", std::nullopt},
              {"JACK_DEFAULT_SERVER", jack_server}},
      .rows = rows,
      .cols = cols,
  };
}

class ProgramRun : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quorvelan-e2e-XXXXXX";
    root_ = mkdtemp(pattern);
    std::filesystem::create_directories(home());
    std::filesystem::create_directories(tmp());
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  std::filesystem::path home() const { return root_ / "home"; }
  std::filesystem::path tmp() const { return root_ / "tmp"; }
  std::filesystem::path log_file() const { return tmp() / "quorvelan.log"; }
  std::filesystem::path data_dir() const { return home() / ".quorvelan"; }
  std::filesystem::path projects() const { return data_dir() / "projects"; }

  // The program in a terminal of the given size. Without `with_sound` it reaches no JACK server
  // and runs silently; with it, it plays on the test fixture's server (see sound.hpp).
  PtyOptions options(int rows = 30, int cols = 110, bool with_sound = false) const {
    const char* server = std::getenv("JACK_DEFAULT_SERVER");
    return program_options(
        home(), tmp(), with_sound && server != nullptr ? server : "quorvelan-e2e-none", rows, cols);
  }

  // Waits for the project list and opens a new project on it; false when a screen fails to come.
  static bool open_new_project(PtySession& program) {
    using namespace std::chrono_literals;
    if (!program.wait_for_text("+ New Project", 10s)) return false;
    program.send("\r");
    return program.wait_for_text("[SEQ]", 5s);
  }

  // Ctrl+Q, and the program must end cleanly.
  static void quit(PtySession& program) {
    using namespace std::chrono_literals;
    program.send("\x11");
    EXPECT_EQ(program.wait_exit(5s), 0);
  }

  std::filesystem::path root_;
};

}  // namespace e2e
