// The save and load dialog and the preset browser: key sequences from an open view to the stage,
// the name and what lands on disk, in the App and on the way to the audio thread.

#include <gtest/gtest.h>

#include <filesystem>

#include "dx7/convert.hpp"
#include "dx7/factory.hpp"
#include "json/codec.hpp"
#include "preset.hpp"
#include "sequencer/pattern_json.hpp"
#include "support/log_capture.hpp"
#include "support/temp_home.hpp"
#include "ui/harness.hpp"

namespace quorvelan::ui::app {
namespace {

namespace fs = std::filesystem;
namespace messages = audio::messages;
using term::KeyCode;
using Keys = std::vector<term::KeyEvent>;

const auto kUp = key(KeyCode::Up);
const auto kDown = key(KeyCode::Down);
const auto kLeft = key(KeyCode::Left);
const auto kRight = key(KeyCode::Right);
const auto kEnter = key(KeyCode::Enter);
const auto kEsc = key(KeyCode::Esc);
const auto kBackspace = key(KeyCode::Backspace);

Keys text(std::u32string_view typed) {
  Keys keys;
  for (char32_t c : typed) keys.push_back(ch(c));
  return keys;
}
Keys operator+(Keys a, const Keys& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Keys times(int count, term::KeyEvent pressed) {
  return Keys(static_cast<std::size_t>(count), pressed);
}

class Dialog : public test_support::TempHome {
 protected:
  static Harness in_sequencer(bool gamepad = false) {
    auto h = Harness::make();
    h.app.view = View::Seq;
    h.app.gamepad = gamepad;
    return h;
  }
  static void press(Harness& h, const Keys& keys) {
    for (const auto& pressed : keys) h.app.handle_key(pressed);
  }
  static std::string status_of(const Harness& h) { return h.app.status ? h.app.status->text : ""; }
  fs::path data(const char* relative) const { return home() / ".quorvelan" / relative; }
};

TEST_F(Dialog, KeysMoveThroughTheStagesAndTypeOnlyWhatANameMayHold) {
  struct Case {
    const char* what;
    bool gamepad;
    Keys keys;
    bool open;
    DialogStage stage;
    FileTarget target;
    std::string name;
    std::size_t cursor;
  };
  using enum DialogStage;
  const Case cases[] = {
      {"Esc closes the menu",
       false,
       {ch('s'), kEsc},
       false,
       TargetMenu,
       FileTarget::Pattern,
       "",
       0},
      {"the menu stops at its last entry", false, Keys{ch('s')} + times(3, kDown) + Keys{kEnter},
       true, NameEntry, FileTarget::Project, "", 2},
      {"and at its first",
       false,
       {ch('s'), kUp, kEnter},
       true,
       NameEntry,
       FileTarget::Pattern,
       "",
       0},
      {"letters and digits of any script, space, - and _ are typed, nothing else", false,
       Keys{ch('s'), kEnter} + text(U"Gé名7 -_/.!♪\\") + Keys{ctrl('a')}, true, NameEntry,
       FileTarget::Pattern, "Gé名7 -_", 0},
      {"Backspace takes a whole character", false,
       Keys{ch('s'), kEnter} + text(U"aé") + Keys{kBackspace}, true, NameEntry, FileTarget::Pattern,
       "a", 0},
      {"Enter without a name does nothing",
       false,
       {ch('s'), kEnter, kEnter},
       true,
       NameEntry,
       FileTarget::Pattern,
       "",
       0},
      {"Esc goes back to the menu",
       false,
       {ch('s'), kDown, kEnter, ch('x'), kEsc},
       true,
       TargetMenu,
       FileTarget::SynthPreset,
       "x",
       0},
      {"choosing a target again starts an empty name",
       false,
       {ch('s'), kDown, kEnter, ch('x'), kEsc, kEnter},
       true,
       NameEntry,
       FileTarget::Pattern,
       "",
       0},
      {"the grid: arrows move, Enter adds, letters do not type",
       true,
       {ch('s'), kEnter, ch('q'), kRight, kRight, kEnter, kDown, kEnter, kLeft, kUp, kUp, kEnter},
       true,
       NameEntry,
       FileTarget::Pattern,
       "CMB",
       0},
      {"the grid stops at its edges", true,
       Keys{ch('s'), kEnter, kLeft, kEnter} + times(4, kDown) + Keys{kEnter} + times(10, kRight) +
           Keys{kEnter},
       true, NameEntry, FileTarget::Pattern, "A4 ", 0},
      {"grid Esc deletes one character",
       true,
       {ch('s'), kEnter, kEnter, kEnter, kEsc},
       true,
       NameEntry,
       FileTarget::Pattern,
       "A",
       0},
      {"grid Esc on an empty name returns to the menu",
       true,
       {ch('s'), kEnter, kEnter, kEsc, kEsc},
       true,
       TargetMenu,
       FileTarget::Pattern,
       "",
       0},
      {"grid Space without a name does nothing",
       true,
       {ch('s'), kEnter, ch(' ')},
       true,
       NameEntry,
       FileTarget::Pattern,
       "",
       0},
      {"l opens the project list",
       false,
       {ch('l'), kDown, kDown, kEnter},
       true,
       FileList,
       FileTarget::Project,
       "",
       0},
      {"Esc from the list goes back to the menu",
       false,
       {ch('l'), kDown, kDown, kEnter, kEsc},
       true,
       TargetMenu,
       FileTarget::Project,
       "",
       0},
      {"an empty list keeps its cursor and Enter does nothing",
       false,
       {ch('l'), kEnter, kDown, kEnter},
       true,
       FileList,
       FileTarget::Pattern,
       "",
       0},
  };
  for (const auto& c : cases) {
    auto h = in_sequencer(c.gamepad);
    press(h, c.keys);
    EXPECT_EQ(h.app.dialog_open, c.open) << c.what;
    if (!c.open) continue;
    EXPECT_EQ(h.app.dialog_stage, c.stage) << c.what;
    EXPECT_EQ(h.app.dialog_target, c.target) << c.what;
    EXPECT_EQ(h.app.dialog_name, c.name) << c.what;
    EXPECT_EQ(h.app.dialog_file_index, c.cursor) << c.what;
  }
}

TEST_F(Dialog, EachTargetSavesUnderTheTrimmedNameAndSaysSo) {
  struct Case {
    int target;
    std::u32string typed;
    const char* file;  // none when nothing may be written
    const char* status;
  };
  const Case cases[] = {
      {0, U"Groove", "patterns/Groove.json", "Saved: Groove"},
      {1, U" Bass ", "presets/Bass.json", "Saved preset for Track 2: Bass"},
      {2, U"Song", "projects/Song.json", "Saved: Song"},
      {2, U"   ", nullptr, ""},
  };
  for (const auto& c : cases) {
    auto h = in_sequencer();
    h.app.current_track = 1;
    h.app.effects.chorus_mix = 0.875f;
    h.app.synth_params[1].algorithm = 7;
    press(h, Keys{ch('s')} + times(c.target, kDown) + Keys{kEnter} + text(c.typed) + Keys{kEnter});
    EXPECT_FALSE(h.app.dialog_open);
    EXPECT_EQ(status_of(h), c.status);
    if (c.file == nullptr) {
      EXPECT_EQ(preset::list_projects(), std::vector<std::string>{"Song"});
      EXPECT_FALSE(h.app.project_name);
      continue;
    }
    ASSERT_TRUE(fs::exists(data(c.file))) << c.file;
    if (c.target == 0) {
      auto saved = preset::load_pattern(data(c.file));
      ASSERT_TRUE(saved);
      EXPECT_EQ(saved->name, h.app.current_pattern_ref().name);
      EXPECT_EQ(saved->effects, h.app.effects);
    } else if (c.target == 1) {
      auto banks = preset::list_all_banks();
      EXPECT_EQ(preset::load_from_bank(banks.back(), 0), h.app.synth_params[1]);
    } else {
      EXPECT_EQ(h.app.project_name, "Song");
    }
  }
}

TEST_F(Dialog, AFailedProjectSaveKeepsTheAutosaveOnTheOpenProject) {
  write_file(data("projects"), "a file where the folder should be");
  test_support::LogCapture log("quorvelan::ui::app");
  for (std::optional<std::string> open :
       {std::optional<std::string>("Old"), std::optional<std::string>()}) {
    auto h = in_sequencer();
    h.app.project_name = open;
    press(h, Keys{ch('s'), kDown, kDown, kEnter} + text(U"New") + Keys{kEnter});
    EXPECT_EQ(h.app.project_name, open);
    const std::string status = status_of(h);
    EXPECT_TRUE(status.starts_with("Save error: ")) << status;
    EXPECT_EQ(status.ends_with(" (autosave stays on Old)"), open.has_value()) << status;
    EXPECT_TRUE(log.contains("error " + status)) << log.text();
  }
}

TEST_F(Dialog, APatternLoadsIntoTheCurrentSlotWithItsEffectsButNotItsTempo) {
  auto pattern = Pattern::default_pattern();
  pattern.bpm = 90.0;
  pattern.tracks[0].length = 8;
  pattern.effects = sequencer::types::starting_effects_params();
  pattern.effects->chorus_mix = 0.25f;
  write_file(data("patterns/Beat.json"), *json::to_text(pattern));
  write_file(data("patterns/Bad.json"), "{ not a pattern");
  test_support::LogCapture log("quorvelan::ui::app");

  auto h = in_sequencer();
  h.app.current_step = 12;
  const Pattern before = h.app.current_pattern_ref();
  press(h, {ch('l'), kEnter, kEnter});  // "Bad" sorts first
  EXPECT_FALSE(h.app.dialog_open);
  EXPECT_TRUE(status_of(h).starts_with("Load error: ")) << status_of(h);
  EXPECT_TRUE(log.contains("error " + status_of(h))) << log.text();
  EXPECT_EQ(h.app.current_pattern_ref(), before);

  press(h, {ch('l'), kEnter, kDown, kEnter});
  EXPECT_EQ(status_of(h), "Loaded: Beat");
  EXPECT_EQ(h.app.current_pattern_ref().bpm, 90.0);
  EXPECT_EQ(h.app.bpm, 120.0);
  EXPECT_EQ(h.app.effects.chorus_mix, 0.25f);
  EXPECT_EQ(h.app.current_step, 7);
  EXPECT_TRUE(h.app.dirty);
  const auto sent = h.drain_sent();
  EXPECT_TRUE(std::ranges::any_of(sent, [](const auto& message) {
    const auto* set = messages::get_if<messages::AudioMessage::SetEffectParam>(message);
    return set != nullptr && set->effect == 0 && set->param == 2 && set->value == 0.25f;
  }));
}

TEST_F(Dialog, ThePresetBrowserFiltersLoadsIntoTheTrackAndReopensWhereItWas) {
  struct Step {
    Keys keys;
    bool open;
    bool in_presets;
    std::size_t bank;
    std::string filter;
    std::vector<std::size_t> shown;  // empty: not checked
    std::size_t cursor;
  };
  const std::vector<std::size_t> all = [] {
    std::vector<std::size_t> every(32);
    for (std::size_t i = 0; i < every.size(); ++i) every[i] = i;
    return every;
  }();
  const std::vector<std::size_t> basses{4, 5, 6, 7};
  const Step steps[] = {
      {{ch('l'), kDown, kEnter}, true, false, 0, "", {}, 0},
      {{kDown, kDown, kUp}, true, false, 0, "", {}, 0},
      {{kEnter}, true, true, 0, "", all, 0},
      {text(U"bAs/s") + Keys{kDown}, true, true, 0, "bAss", basses, 1},
      {{kBackspace}, true, true, 0, "bAs", basses, 1},
      {text(U"sz"), true, true, 0, "bAssz", {}, 0},
      {{kEnter, kBackspace, kDown, kDown, kDown, kDown}, true, true, 0, "bAss", basses, 3},
      {{kUp, kEnter}, false, true, 0, "bAss", basses, 2},
      {{ch('l'), kDown, kEnter}, true, true, 0, "", all, 2},
      {text(U"x") + Keys{kEsc}, true, true, 0, "", all, 0},
      {{kEsc}, true, false, 0, "", {}, 0},
  };
  auto h = in_sequencer();
  h.app.current_track = 1;
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    const auto& step = steps[i];
    press(h, step.keys);
    EXPECT_EQ(h.app.dialog_open, step.open) << "step " << i;
    EXPECT_EQ(h.app.in_presets, step.in_presets) << "step " << i;
    EXPECT_EQ(h.app.bank_index, step.bank) << "step " << i;
    EXPECT_EQ(h.app.preset_filter, step.filter) << "step " << i;
    if (!step.shown.empty()) {
      EXPECT_EQ(h.app.filtered_presets, step.shown) << "step " << i;
    }
    EXPECT_EQ(h.app.preset_index, step.cursor) << "step " << i;
    if (i == 7) {
      EXPECT_EQ(status_of(h), "Loaded to Track 2: [DX7 ROM1A] Pluck Bass");
      EXPECT_EQ(h.app.synth_params[1],
                dx7::convert::convert_voice(dx7::factory::ROM1A.voices()[6]));
      EXPECT_EQ(h.app.last_preset, 2u);
      EXPECT_TRUE(std::ranges::any_of(h.drain_sent(), [](const auto& message) {
        const auto* set = messages::get_if<messages::AudioMessage::SetSynthParam>(message);
        return set != nullptr && set->track == 1;
      }));
    }
  }
  press(h, {kEsc});
  EXPECT_EQ(h.app.dialog_stage, DialogStage::TargetMenu);
}

TEST_F(Dialog, TheFilterComparesUpperCaseOfAnyScript) {
  struct Case {
    std::string filter;
    std::vector<std::size_t> shown;
  };
  const Case cases[] = {
      {"", {0, 1, 2, 3}}, {"bas", {1, 2}}, {"é", {0}}, {"GRÖ", {3}}, {"ß", {3}}, {"zz", {}},
  };
  auto h = in_sequencer();
  h.app.banks = {preset::PresetBank{
      {preset::BankSource::User{}}, "User", {"Éclat", "bass", "Bassoon", "größe"}}};
  for (const auto& c : cases) {
    h.app.preset_filter = c.filter;
    h.app.apply_preset_filter();
    EXPECT_EQ(h.app.filtered_presets, c.shown) << c.filter;
  }
  h.app.bank_index = 1;
  h.app.apply_preset_filter();
  EXPECT_TRUE(h.app.filtered_presets.empty());
}

TEST_F(Dialog, ARememberedPositionBeyondAShrunkenBankIsClampedOnReopening) {
  for (const char* name : {"a", "b", "c"}) {
    ASSERT_TRUE(preset::save_preset(name, sequencer::types::starting_synth_params()));
  }
  auto h = in_sequencer();
  press(h, {ch('l'), kDown, kEnter, kDown, kDown, kEnter, kDown, kDown, kEnter});
  ASSERT_EQ(status_of(h), "Loaded to Track 1: [User] c");
  fs::remove(data("presets/a.json"));
  fs::remove(data("presets/c.json"));

  press(h, {ch('l'), kDown, kEnter});
  EXPECT_EQ(h.app.filtered_presets, (std::vector<std::size_t>{0}));
  EXPECT_EQ(h.app.preset_index, 0u);
  write_file(data("presets/b.json"), "not a preset");
  const auto patch = h.app.synth_params[0];
  press(h, {kEnter});
  EXPECT_EQ(status_of(h), "Failed to load preset");
  EXPECT_EQ(h.app.synth_params[0], patch);
}

}  // namespace
}  // namespace quorvelan::ui::app
