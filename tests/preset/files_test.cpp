#include "files.hpp"

#include <fcntl.h>
#include <fmt/format.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <string>

#include "support/temp_home.hpp"
#include "utf8.hpp"

namespace quorvelan::files {
namespace {

namespace fs = std::filesystem;

class Files : public test_support::TempHome {
 protected:
  static std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
      names.push_back(entry.path().filename());
    std::ranges::sort(names);
    return names;
  }

  // What `job` returns in a child process inside HOME run by a user who owns the files there but
  // is no administrator: when the tests run as root, "nobody", whom HOME is given to.
  std::string as_plain_user(std::string (*job)()) const {
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0) {
      for (const auto& entry : fs::recursive_directory_iterator(home())) {
        ::lchown(entry.path().c_str(), kNobody, kNobody);
      }
      ::lchown(home().c_str(), kNobody, kNobody);
    }
    if (::fork() == 0) {
      const bool plain = ::chdir(home().c_str()) == 0 &&
                         (::geteuid() != 0 || (::setgroups(0, nullptr) == 0 &&
                                               ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0));
      std::ofstream("said") << (plain ? job() : "still an administrator");
      ::_exit(0);
    }
    ::wait(nullptr);
    return read_file(home() / "said");
  }
};

TEST_F(Files, WriteCreatesFoldersAndReplacesTheWholeFile) {
  fs::path path = home() / "a" / "b" / "song.json";
  ASSERT_TRUE(write_atomically(path, "a long first version"));
  ASSERT_TRUE(write_atomically(path, "short"));
  EXPECT_EQ(read_file(path), "short");
  EXPECT_EQ(names_in(path.parent_path()), std::vector<std::string>{"song.json"});
  EXPECT_EQ(read_text(path), "short");

  // Any name the folder takes can be saved: the temporary file's name does not grow with it.
  EXPECT_TRUE(write_atomically(home() / (std::string(250, 'n') + ".json"), "x"));  // 255 bytes
}

TEST_F(Files, ASaveThroughALinkReplacesTheFileItLeadsToAndKeepsTheLink) {
  const fs::path file = home() / "elsewhere" / "song.json";
  write_file(file, "old");
  fs::create_symlink("elsewhere/song.json", home() / "song.json");
  ASSERT_TRUE(write_atomically(home() / "song.json", "new"));
  EXPECT_TRUE(fs::is_symlink(home() / "song.json"));
  EXPECT_EQ(read_file(file), "new");
  EXPECT_EQ(names_in(file.parent_path()), std::vector<std::string>{"song.json"});
}

TEST_F(Files, ASaveKeepsTheReplacedFilesPermissions) {
  const fs::path path = home() / "private.json";
  write_file(path, "old");
  fs::permissions(path, fs::perms(0600));
  // Under a umask of 077 a fresh file would come out 0600 anyway and hide a lost mode.
  const mode_t old_umask = ::umask(022);
  const auto saved = write_atomically(path, "new");
  ::umask(old_umask);
  ASSERT_TRUE(saved);
  EXPECT_EQ(fmt::format("{:o}", static_cast<unsigned>(fs::status(path).permissions())), "600");
}

TEST_F(Files, AbandonedTemporariesGoWhenTheirFolderIsNextWritten) {
  const std::string live_id = std::to_string(::getppid());
  // Gone: an unlocked one, and one of the older form whose process id is above the kernel's limit.
  // Still being written: a locked one, and one of the older form whose process runs.
  for (const std::string& name : std::vector<std::string>{
           ".quorvelan.1-0.tmp", ".old.json.4194305-0.tmp", ".quorvelan.2-0.tmp",
           ".old.json." + live_id + "-3.tmp", ".notes.5-1.tmp"}) {
    write_file(home() / name, "x");
  }
  const int writer = ::open((home() / ".quorvelan.2-0.tmp").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(writer, LOCK_EX), 0);
  ASSERT_TRUE(write_atomically(home() / "song.json", "x"));
  ::close(writer);
  EXPECT_EQ(names_in(home()),
            (std::vector<std::string>{".notes.5-1.tmp", ".old.json." + live_id + "-3.tmp",
                                      ".quorvelan.2-0.tmp", "song.json"}));
}

TEST_F(Files, AFailedWriteLeavesTheOldFileAndNoTemporary) {
  fs::path path = home() / "song.json";
  ASSERT_TRUE(write_atomically(path, "the only copy"));

  // A disk that fills up mid-write: the file size limit makes the write fail the same way.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old_limit{};
  ::getrlimit(RLIMIT_FSIZE, &old_limit);
  rlimit small = old_limit;
  small.rlim_cur = 4;
  ::setrlimit(RLIMIT_FSIZE, &small);
  auto result = write_atomically(path, "a version too large for the disk");
  ::setrlimit(RLIMIT_FSIZE, &old_limit);

  ASSERT_FALSE(result);
  EXPECT_EQ(result.error().message(),
            "cannot write \"" + path.string() + "\": File too large (os error 27)");
  EXPECT_EQ(read_file(path), "the only copy");
  EXPECT_EQ(names_in(home()), std::vector<std::string>{"song.json"});

  // A target that cannot be replaced: the temporary file is removed again.
  fs::create_directories(home() / "taken.json" / "inside");
  auto blocked = write_atomically(home() / "taken.json", "x");
  ASSERT_FALSE(blocked);
  EXPECT_NE(blocked.error().message().find("cannot replace"), std::string::npos);
  EXPECT_EQ(names_in(home()), (std::vector<std::string>{"song.json", "taken.json"}));

  auto no_folder = write_atomically(home() / "song.json" / "x.json", "x");
  ASSERT_FALSE(no_folder);
  EXPECT_NE(no_folder.error().message().find("cannot create folder"), std::string::npos);
}

// A rename would replace what a write may not change: the save refuses as that write would.
TEST_F(Files, AWriteProtectedFileIsRefusedAndKept) {
  write_file(home() / "keep.json", "kept");
  fs::permissions(home() / "keep.json", fs::perms(0444));
  EXPECT_EQ(as_plain_user([] {
              auto saved = write_atomically("keep.json", "new");
              return saved ? std::string("saved") : saved.error().message();
            }),
            "cannot write \"keep.json\": Permission denied (os error 13)");
  EXPECT_EQ(read_file(home() / "keep.json"), "kept");
  EXPECT_EQ(names_in(home()), (std::vector<std::string>{"keep.json", "said"}));
}

TEST_F(Files, ReadFailuresSayWhatWentWrong) {
  EXPECT_EQ(read_text(home() / "none.json").error().message(),
            "cannot read \"" + (home() / "none.json").string() +
                "\": No such file or directory (os error 2)");
  EXPECT_EQ(read_text(home()).error().message(),
            "cannot read \"" + home().string() + "\": Is a directory (os error 21)");
  std::ofstream(home() / "latin1.json") << "\"caf\xe9\"";
  EXPECT_EQ(read_text(home() / "latin1.json").error().message(),
            "cannot read \"" + (home() / "latin1.json").string() +
                "\": stream did not contain valid UTF-8");
  // A FIFO under a listed name fails at once instead of waiting for a writer forever.
  ASSERT_EQ(::mkfifo((home() / "pipe.json").c_str(), 0600), 0);
  EXPECT_EQ(read_text(home() / "pipe.json").error().message(),
            "cannot read \"" + (home() / "pipe.json").string() + "\": not a regular file");
}

TEST(DebugPath, QuotesAndEscapes) {
  EXPECT_EQ(debug_path("/home/me/.quorvelan/projects/a b.json"),
            R"("/home/me/.quorvelan/projects/a b.json")");
  EXPECT_EQ(debug_path("q\"b\\s\n\t\x1b"), R"("q\"b\\s\n\t\u{1b}")");
  EXPECT_EQ(debug_path("B\xC3\xA4ss\xff"), "\"B\xC3\xA4ss\\xFF\"");
}

TEST(Utf8, ReplacesEachMaximalInvalidSequenceOnce) {
  struct Case {
    std::string bytes;
    bool valid;
    std::string repaired;
  };
  const std::string r = "\xEF\xBF\xBD";
  const Case cases[] = {
      {"plain", true, "plain"},
      {"\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80", true, "\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"},
      {"a\xff"
       "b",
       false, "a" + r + "b"},
      {"\xE2\x82", false, r},  // a cut three-byte sequence is one replacement
      {"\xE2\x82"
       "a",
       false, r + "a"},
      {"\xC0\x80", false, r + r},                  // overlong forms are two stray bytes
      {"\xED\xA0\x80", false, r + r + r},          // an encoded surrogate
      {"\xF4\x90\x80\x80", false, r + r + r + r},  // beyond U+10FFFF
  };
  for (const Case& c : cases) {
    EXPECT_EQ(utf8::is_valid(c.bytes), c.valid) << c.bytes;
    EXPECT_EQ(utf8::to_valid(c.bytes), c.repaired) << c.bytes;
  }
}

}  // namespace
}  // namespace quorvelan::files
