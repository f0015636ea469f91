#include "sequencer/project.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "files.hpp"
#include "support/log_capture.hpp"
#include "support/temp_home.hpp"

namespace quorvelan::sequencer::project {
namespace {

namespace fs = std::filesystem;
using pattern::Pattern;

// A pattern in its shortest form: the array form, with tracks whose lists are empty (a load pads
// them to 64 steps).
std::string short_pattern() {
  const std::string track =
      R"([[], 16, "Sixteenth", 12, 100, [], ["Off", "Sixteenth", 50, 1, 16, [0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0], false]])";
  return "[[" + track + "," + track + "," + track + "," + track + R"(], [], 120, 50, "p"])";
}

std::string project_text(int pattern_count, std::string_view rest, std::string_view bpm = "128") {
  std::string text = R"({"name": "Song", "bpm": )" + std::string(bpm) + R"(, "patterns": [)";
  for (int i = 0; i < pattern_count; ++i) text += (i ? "," : "") + short_pattern();
  return text + "]" + std::string(rest) + "}";
}

// Everything a running application would store, with values off their defaults.
Project full_project() {
  Project project;
  project.name = "Night \"drive\"";
  project.bpm = 97.5;
  project.patterns = {Pattern::default_pattern(), Pattern::default_pattern()};
  project.patterns[1].name = "B";
  project.patterns[1].tracks[0].steps[4].note = 64;
  project.current_pattern = 1;
  project.synth_params.emplace();
  project.synth_params->fill(types::starting_synth_params());
  (*project.synth_params)[2].algorithm = 45;
  project.effects = types::starting_effects_params();
  project.mixer.emplace();
  project.mixer->fill(types::starting_mixer_state());
  project.lfos.emplace();
  (*project.lfos)[1].target = lfo::ModTarget::EffectParam{2, 3};
  (*project.lfos)[1].sync_division = 0.25f;
  project.midi_in_channels = std::array<std::uint8_t, 4>{1, 2, 0, 16};
  return project;
}

class ProjectFiles : public test_support::TempHome {
 protected:
  fs::path path(std::string_view name) const { return home() / ".quorvelan" / "projects" / name; }
  static std::string contents(const fs::path& path) { return files::read_text(path).value(); }
};

TEST_F(ProjectFiles, SaveAndLoadGiveBackTheSameProjectByteForByte) {
  test_support::LogCapture log("quorvelan::sequencer::project");
  Project project = full_project();
  fs::path file = path("night.json");
  ASSERT_TRUE(project.save(file));  // creates the missing folders
  std::string text = contents(file);
  EXPECT_EQ(text.front(), '{');
  EXPECT_EQ(text.back(), '}');
  EXPECT_TRUE(text.starts_with(
      "{\n  \"name\": \"Night \\\"drive\\\"\",\n  \"bpm\": 97.5,\n  \"patterns\": [\n"));
  EXPECT_TRUE(text.ends_with("  \"midi_in_channels\": [\n    1,\n    2,\n    0,\n    16\n  ]\n}"));

  auto loaded = Project::load(file);
  ASSERT_TRUE(loaded) << loaded.error().message();
  EXPECT_EQ(*loaded, project);
  ASSERT_TRUE(loaded->save(file));
  EXPECT_EQ(contents(file), text);
  EXPECT_EQ(log.lines(),
            (std::vector<std::string>{"info Project saved to " + files::debug_path(file),
                                      "info Project loaded from " + files::debug_path(file),
                                      "info Project saved to " + files::debug_path(file)}));

  Project smaller;
  smaller.name = "x";
  smaller.patterns = {Pattern::default_pattern()};
  ASSERT_TRUE(smaller.save(file));
  EXPECT_EQ(Project::load(file), smaller);
}

TEST_F(ProjectFiles, SectionsMayBeNullOrAbsent) {
  write_file(path("bare.json"), project_text(1, R"(, "current_pattern": 0)"));
  write_file(path("nulls.json"),
             project_text(1, R"(, "current_pattern": 0, "synth_params": null, "effects": null,
                                                "mixer": null, "lfos": null, "midi_in_channels": null)"));
  for (const char* name : {"bare.json", "nulls.json"}) {
    auto project = Project::load(path(name));
    ASSERT_TRUE(project) << project.error().message();
    EXPECT_EQ(project->bpm, 128.0);
    EXPECT_EQ(project->patterns.size(), 1u);
    EXPECT_FALSE(project->synth_params || project->effects || project->mixer || project->lfos ||
                 project->midi_in_channels);
  }
}

TEST_F(ProjectFiles, BrokenFilesFailToLoadWithTheReason) {
  write_file(path("no_current.json"), project_text(1, ""));
  write_file(path("empty.json"), "");
  write_file(path("blank.json"), " \n\t ");
  write_file(path("trailing.json"), project_text(1, R"(, "current_pattern": 0)") + "}");
  write_file(path("too_many.json"), project_text(129, R"(, "current_pattern": 0)"));
  fs::create_directories(path("folder.json"));

  auto message = [&](const char* name) { return Project::load(path(name)).error().message(); };
  EXPECT_TRUE(
      message("no_current.json").starts_with("missing field `current_pattern` at line 1 column"));
  EXPECT_EQ(message("empty.json"), "EOF while parsing a value at line 1 column 0");
  EXPECT_EQ(message("blank.json"), "EOF while parsing a value at line 2 column 2");
  EXPECT_TRUE(message("trailing.json").starts_with("trailing characters at line 1 column"));
  EXPECT_EQ(message("too_many.json"),
            "a project holds at most 128 patterns, but this file holds 129");
  EXPECT_EQ(message("folder.json"), "cannot read " + files::debug_path(path("folder.json")) +
                                        ": Is a directory (os error 21)");

  write_file(path("most.json"), project_text(128, R"(, "current_pattern": 127)"));
  auto most = Project::load(path("most.json"));
  ASSERT_TRUE(most) << most.error().message();
  EXPECT_EQ(most->patterns.size(), 128u);
  EXPECT_EQ(most->current_pattern, 127);
}

TEST_F(ProjectFiles, LoadedValuesAreBroughtIntoRange) {
  write_file(path("wild.json"), project_text(2, R"(, "current_pattern": 9,
                         "lfos": [[false, "Sine", 1, 0, {"SynthParam": [7, 3]}, 0, true, 0, 0],
                                  [false, "Sine", 1, 0, {"SendLevel": [2]}, 0, true, 0.25, 0],
                                  [false, "Sine", 1, 0, "None", 0, false, 1, 0],
                                  [false, "Sine", 1, 0, {"LfoParam": [0, 9]}, 0, false, 1, 0]])",
                                             "5000"));
  auto project = Project::load(path("wild.json"));
  ASSERT_TRUE(project) << project.error().message();
  EXPECT_EQ(project->bpm, 300.0);
  EXPECT_EQ(project->current_pattern, 9);  // the application appends slots up to it
  EXPECT_EQ(project->patterns[0].tracks[3].steps.size(), pattern::kStepCount);
  ASSERT_TRUE(project->lfos);
  EXPECT_EQ((*project->lfos)[0].target, lfo::ModTarget(lfo::ModTarget::None{}));
  EXPECT_GT((*project->lfos)[0].sync_division, 0.0f);
  EXPECT_EQ((*project->lfos)[1].target, lfo::ModTarget(lfo::ModTarget::SendLevel{2}));
  EXPECT_EQ((*project->lfos)[1].sync_division, 0.25f);
  EXPECT_EQ((*project->lfos)[3].target, lfo::ModTarget(lfo::ModTarget::None{}));
}

// Before, a channel above 16 was kept: the channel keys then stepped it further out of their
// 0-16 wrap and no MIDI message ever matched it.
TEST_F(ProjectFiles, AMidiChannelAbove16ReadsAsNone) {
  write_file(path("channels.json"), project_text(1, R"(, "current_pattern": 0, "synth_params": null,
                                          "effects": null, "mixer": null, "lfos": null,
                                          "midi_in_channels": [16, 17, 0, 255])"));
  auto project = Project::load(path("channels.json"));
  ASSERT_TRUE(project) << project.error().message();
  EXPECT_EQ(project->midi_in_channels, (std::array<std::uint8_t, 4>{16, 0, 0, 0}));
}

TEST_F(ProjectFiles, ARefusedSaveTouchesNothing) {
  Project project = full_project();
  fs::path file = path("night.json");
  ASSERT_TRUE(project.save(file));
  std::string kept = contents(file);

  (*project.mixer)[3].pan = std::numeric_limits<float>::infinity();
  auto refused = project.save(file);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().message(), "cannot store the non-finite number inf in `mixer[3].pan`");
  EXPECT_EQ(contents(file), kept);

  auto elsewhere = project.save(home() / "new" / "folder" / "x.json");
  ASSERT_FALSE(elsewhere);
  EXPECT_FALSE(fs::exists(home() / "new"));
  EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace quorvelan::sequencer::project
