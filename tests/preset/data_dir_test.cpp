#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "support/log_capture.hpp"
#include "files.hpp"
#include "json/codec.hpp"
#include "preset.hpp"
#include "sequencer/pattern_json.hpp"
#include "support/temp_home.hpp"

namespace quorvelan::preset {
namespace {

namespace fs = std::filesystem;

class DataDir : public test_support::TempHome {
 protected:
  static void touch(const fs::path& path) { std::ofstream(path) << "{}"; }
};

TEST_F(DataDir, LivesInHomeOrFallsBackToTheWorkingFolder) {
  EXPECT_EQ(quorvelan_dir(), home() / ".quorvelan");
  EXPECT_EQ(patterns_dir(), home() / ".quorvelan" / "patterns");
  EXPECT_EQ(projects_dir(), home() / ".quorvelan" / "projects");

  ::setenv("HOME", "", 1);
  EXPECT_EQ(quorvelan_dir().native(), ".quorvelan");
  ::setenv("HOME", "/home/\xff", 1);
  EXPECT_EQ(quorvelan_dir().native(), "./.quorvelan");
  ::unsetenv("HOME");
  EXPECT_EQ(quorvelan_dir().native(), "./.quorvelan");
}

TEST_F(DataDir, ListsExactlyTheJsonNamesSortedByBytes) {
  fs::path folder = home() / "listing";
  fs::create_directories(folder / "d.json");
  for (const char* name :
       {"b.json", "A.json", "a.b.json", "c.JSON", ".json", "..json", "notes.txt", "item10.json",
        "item2.json", "bad\xff.json", ".b.json.7-1.tmp", "...json", "a\\b.json", "tab\t.json"}) {
    touch(folder / name);
  }
  // Names no load could take ("." from "..json", a backslash, a control character, bytes that
  // are not UTF-8) are not listed.
  EXPECT_EQ(list_json_files(folder),
            (std::vector<std::string>{"A", "a.b", "b", "d", "item10", "item2"}));

  touch(folder / "x.syx");
  touch(folder / "y.SYX");
  auto dumps = list_files(folder, "syx");
  ASSERT_EQ(dumps.size(), 1u);
  EXPECT_EQ(dumps[0].stem, "x");
  EXPECT_EQ(dumps[0].path, folder / "x.syx");
}

TEST_F(DataDir, ListingAMissingFolderIsEmptyAndCreatesNothing) {
  EXPECT_TRUE(list_projects().empty());
  EXPECT_FALSE(fs::exists(quorvelan_dir()));

  touch((fs::create_directories(projects_dir()), projects_dir() / "song.json"));
  EXPECT_EQ(list_projects(), std::vector<std::string>{"song"});
}

using sequencer::pattern::Pattern;

class PatternFiles : public DataDir {
 protected:
  static std::string contents(const fs::path& path) { return files::read_text(path).value(); }
};

TEST_F(PatternFiles, SaveCreatesTheFoldersAndReplacesByName) {
  test_support::LogCapture log("quorvelan::preset");
  Pattern pattern = Pattern::default_pattern();
  pattern.name = "Verse";
  ASSERT_TRUE(save_pattern(pattern, "verse"));
  fs::path path = patterns_dir() / "verse.json";
  EXPECT_EQ(contents(path), json::to_text(pattern).value());
  EXPECT_EQ(log.lines(),
            std::vector<std::string>{"info Pattern saved to " + files::debug_path(path)});

  pattern.bpm = 90.0;
  ASSERT_TRUE(save_pattern(pattern, "verse"));
  EXPECT_EQ(load_pattern(path), pattern);
  EXPECT_EQ(log.lines().back(), "info Pattern loaded from " + files::debug_path(path));
  EXPECT_EQ(list_json_files(patterns_dir()), std::vector<std::string>{"verse"});
}

TEST_F(PatternFiles, RefusedSavesLeaveEveryFileAsItWas) {
  Pattern pattern = Pattern::default_pattern();
  ASSERT_TRUE(save_pattern(pattern, "keep"));
  std::string kept = contents(patterns_dir() / "keep.json");

  EXPECT_FALSE(save_pattern(pattern, "../keep"));
  EXPECT_FALSE(save_pattern(pattern, "/tmp/keep"));
  EXPECT_FALSE(fs::exists(quorvelan_dir() / "keep.json"));

  pattern.swing_percent = std::numeric_limits<float>::quiet_NaN();
  auto refused = save_pattern(pattern, "keep");
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().message(), "cannot store the non-finite number nan in `swing_percent`");
  EXPECT_EQ(contents(patterns_dir() / "keep.json"), kept);
  EXPECT_EQ(std::distance(fs::directory_iterator(patterns_dir()), fs::directory_iterator()), 1);
}

TEST_F(PatternFiles, LoadTakesTrailingWhitespaceOnlyAndNormalises) {
  fs::create_directories(patterns_dir());
  std::string text = json::to_text(Pattern::default_pattern()).value();
  std::ofstream(patterns_dir() / "newline.json") << text << "\n";
  std::ofstream(patterns_dir() / "two.json") << text << "\n{}";
  std::ofstream(patterns_dir() / "empty.json");
  EXPECT_EQ(load_pattern(patterns_dir() / "newline.json"), Pattern::default_pattern());
  EXPECT_TRUE(load_pattern(patterns_dir() / "two.json")
                  .error()
                  .message()
                  .starts_with("trailing characters at line"));
  EXPECT_EQ(load_pattern(patterns_dir() / "empty.json").error().message(),
            "EOF while parsing a value at line 1 column 0");
  EXPECT_TRUE(load_pattern(patterns_dir() / "none.json")
                  .error()
                  .message()
                  .ends_with("No such file or directory (os error 2)"));

  Pattern broken = Pattern::default_pattern();
  broken.tracks[1].steps.resize(3);
  broken.tracks[1].length = 0;
  std::ofstream(patterns_dir() / "short.json") << json::to_text(broken).value();
  auto loaded = load_pattern(patterns_dir() / "short.json");
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->tracks[1].steps.size(), 64u);
  EXPECT_EQ(loaded->tracks[1].length, 1);
}

TEST(ItemPath, RefusesNamesThatLeaveTheFolderOrNoFileSystemTakes) {
  fs::path folder = "/data/projects";
  for (std::string_view name : std::initializer_list<std::string_view>{
           "../x", "/tmp/x", "a/b", "a\\b", std::string_view("a\0b", 3), "tab\there", "line\n",
           "\x7f", ".", ".."}) {
    auto path = item_path(folder, name);
    ASSERT_FALSE(path) << name;
    EXPECT_EQ(path.error().message(),
              R"(a name cannot hold "/", "\" or control characters, nor be "." or "..")");
  }
  EXPECT_EQ(item_path(folder, "my song"), folder / "my song.json");
  EXPECT_EQ(item_path(folder, "..x"), folder / "..x.json");
  EXPECT_EQ(item_path(folder, "a.b"), folder / "a.b.json");
  EXPECT_EQ(item_path(folder, "B\xC3\xA4ss"), folder / "B\xC3\xA4ss.json");
}

}  // namespace
}  // namespace quorvelan::preset
