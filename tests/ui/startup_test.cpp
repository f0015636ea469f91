#include "ui/startup.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace quorvelan::ui::startup {
namespace {

namespace fs = std::filesystem;

class ScratchDir : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/quorvelan-startup-XXXXXX";
    dir_ = mkdtemp(pattern);
    saved_stderr_ = dup(STDERR_FILENO);
    if (const char* tmpdir = std::getenv("TMPDIR")) saved_tmpdir_ = tmpdir;
  }
  void TearDown() override {
    dup2(saved_stderr_, STDERR_FILENO);
    close(saved_stderr_);
    if (saved_tmpdir_) {
      setenv("TMPDIR", saved_tmpdir_->c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
    fs::remove_all(dir_);
  }
  static std::string read(const fs::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  fs::path dir_;
  int saved_stderr_ = -1;
  std::optional<std::string> saved_tmpdir_;
};

TEST_F(ScratchDir, TemporaryDirectoryComesFromTmpdirAndAnEmptyValueCountsAsUnset) {
  setenv("TMPDIR", dir_.c_str(), 1);
  EXPECT_EQ(temp_directory(), dir_);
  setenv("TMPDIR", "", 1);
  EXPECT_EQ(temp_directory(), fs::path("/tmp"));
  unsetenv("TMPDIR");
  EXPECT_EQ(temp_directory(), fs::path("/tmp"));
}

TEST_F(ScratchDir, StandardErrorIsAppendedToTheLogFile) {
  std::ofstream(dir_ / kLogFileName) << "earlier run\n";
  ASSERT_TRUE(redirect_stderr_to_log(dir_));
  ASSERT_EQ(write(STDERR_FILENO, "now\n", 4), 4);
  EXPECT_EQ(read(dir_ / kLogFileName), "earlier run\nnow\n");
}

TEST_F(ScratchDir, APlantedLinkIsNeverFollowed) {
  auto victim = dir_ / "victim";
  std::ofstream(victim) << "precious";
  fs::create_symlink(victim, dir_ / kLogFileName);
  EXPECT_FALSE(redirect_stderr_to_log(dir_));
  ASSERT_EQ(write(STDERR_FILENO, "", 0), 0);
  EXPECT_EQ(read(victim), "precious");
}

TEST_F(ScratchDir, AnythingButARegularFileIsRefused) {
  ASSERT_EQ(mkfifo((dir_ / kLogFileName).c_str(), 0600), 0);
  EXPECT_FALSE(redirect_stderr_to_log(dir_));
  EXPECT_FALSE(redirect_stderr_to_log(dir_ / "missing-folder"));
}

}  // namespace
}  // namespace quorvelan::ui::startup
