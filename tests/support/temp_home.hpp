#pragma once
// A fresh temporary folder that serves as HOME for one test, so nothing touches the real data
// directory. HOME is restored and the folder removed when the test ends.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

namespace test_support {

class TempHome : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quorvelan-test-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    home_ = pattern;
    if (const char* old = std::getenv("HOME")) old_home_ = old;
    ::setenv("HOME", home_.c_str(), 1);
  }

  void TearDown() override {
    if (old_home_) {
      ::setenv("HOME", old_home_->c_str(), 1);
    } else {
      ::unsetenv("HOME");
    }
    std::error_code ignored;
    std::filesystem::remove_all(home_, ignored);
  }

  [[nodiscard]] const std::filesystem::path& home() const { return home_; }

  // Writes the bytes as the whole file, creating missing folders above it.
  static void write_file(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  // The file's bytes as they are on disk.
  static std::string read_file(const std::filesystem::path& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
  }

 private:
  std::filesystem::path home_;
  std::optional<std::string> old_home_;
};

}  // namespace test_support
