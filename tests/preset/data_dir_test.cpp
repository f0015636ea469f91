#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "preset.hpp"
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
  for (const char* name : {"b.json", "A.json", "a.b.json", "c.JSON", ".json", "..json", "notes.txt",
                           "item10.json", "item2.json", "bad\xff.json", ".b.json.7-1.tmp"}) {
    touch(folder / name);
  }
  EXPECT_EQ(
      list_json_files(folder),
      (std::vector<std::string>{".", "A", "a.b", "b", "bad\xEF\xBF\xBD", "d", "item10", "item2"}));

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
