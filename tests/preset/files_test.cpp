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
#include <functional>
#include <string>

#include "preset.hpp"
#include "sequencer/project.hpp"
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

  // What `job` returns when run in a child process inside HOME as a user who owns the files there
  // but is no administrator (when the tests run as root, the user "nobody" that HOME is given to).
  std::string as_plain_user(const std::function<std::string()>& job) const {
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0) {
      for (const auto& entry : fs::recursive_directory_iterator(home())) {
        ::lchown(entry.path().c_str(), kNobody, kNobody);
      }
      ::lchown(home().c_str(), kNobody, kNobody);
    }
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0) return "no pipe";
    if (::fork() == 0) {
      const bool plain = ::chdir(home().c_str()) == 0 && ::setenv("HOME", ".", 1) == 0 &&
                         (::geteuid() != 0 || (::setgroups(0, nullptr) == 0 &&
                                               ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0));
      const std::string result = plain ? job() : "cannot drop the administrator's rights";
      (void)!::write(pipe_ends[1], result.data(), result.size());
      ::_exit(0);
    }
    ::close(pipe_ends[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t count; (count = ::read(pipe_ends[0], buffer, sizeof buffer)) > 0;) {
      result.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(pipe_ends[0]);
    ::wait(nullptr);
    return result;
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
  const fs::path longest = home() / (std::string(250, 'n') + ".json");  // 255 bytes
  EXPECT_TRUE(write_atomically(longest, "x"));
  EXPECT_EQ(write_atomically(home() / ("n" + longest.filename().string()), "x").error().message(),
            "cannot write " + debug_path(home() / ("n" + longest.filename().string())) +
                ": File name too long (os error 36)");
}

TEST_F(Files, ASaveThroughALinkReplacesTheFileItLeadsToAndKeepsTheLink) {
  const fs::path file = home() / "elsewhere" / "song.json";
  const fs::path link = home() / "projects" / "song.json";
  write_file(file, "old");
  fs::create_directories(link.parent_path());
  fs::create_symlink("../elsewhere/song.json", link);
  ASSERT_TRUE(write_atomically(link, "new"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(read_file(file), "new");
  EXPECT_EQ(names_in(file.parent_path()), std::vector<std::string>{"song.json"});
}

TEST_F(Files, AbandonedTemporariesGoWhenTheirFolderIsNextWritten) {
  const std::string live_id = std::to_string(::getppid());
  // Gone: an unlocked one, and one of the older form whose process id is above the kernel's limit.
  // Still being written: a locked one, and one of the older form whose process runs.
  for (const std::string& name : std::vector<std::string>{
           ".quorvelan.1-0.tmp", ".old.json.4194305-0.tmp", ".quorvelan.2-0.tmp",
           ".old.json." + live_id + "-3.tmp", ".notes.json", ".notes.5-1.tmp"}) {
    write_file(home() / name, "x");
  }
  const int writer = ::open((home() / ".quorvelan.2-0.tmp").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(writer, LOCK_EX), 0);
  ASSERT_TRUE(write_atomically(home() / "song.json", "x"));
  ::close(writer);
  EXPECT_EQ(names_in(home()), (std::vector<std::string>{".notes.5-1.tmp", ".notes.json",
                                                        ".old.json." + live_id + "-3.tmp",
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

// A rename would replace what a write may not change; every kind of save refuses as a write would.
TEST_F(Files, AWriteProtectedFileIsRefusedAndKept) {
  const fs::path pattern = preset::patterns_dir() / "keep.json";
  const fs::path preset = preset::quorvelan_dir() / "presets" / "keep.json";
  const fs::path project = preset::projects_dir() / "keep.json";
  for (const fs::path& file : {pattern, preset, project}) {
    write_file(file, "kept");
    fs::permissions(file, fs::perms(0444));
  }
  const std::string refusals = as_plain_user([] {
    auto said = [](const Result<void>& saved) {
      return saved ? "saved\n" : saved.error().message() + "\n";
    };
    return said(preset::save_pattern(sequencer::pattern::Pattern::default_pattern(), "keep")) +
           said(preset::save_preset("keep", sequencer::types::starting_synth_params())) +
           said(sequencer::project::Project{}.save(preset::projects_dir() / "keep.json"));
  });
  std::string expected;
  for (const char* kind : {"patterns", "presets", "projects"}) {
    expected += fmt::format(
        "cannot write \"./.quorvelan/{}/keep.json\": Permission denied (os error 13)\n", kind);
  }
  EXPECT_EQ(refusals, expected);
  for (const fs::path& file : {pattern, preset, project}) {
    EXPECT_EQ(read_file(file), "kept");
    EXPECT_EQ(names_in(file.parent_path()), std::vector<std::string>{"keep.json"});
  }
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
