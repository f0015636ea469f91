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
#include "term/width.hpp"
#include "ui/harness.hpp"

namespace quorvelan::ui::app {
namespace {

namespace fs = std::filesystem;
namespace messages = audio::messages;
using term::KeyCode;

class Dialog : public test_support::TempHome {
 protected:
  static Harness in_sequencer(bool gamepad = false) {
    auto h = Harness::make();
    h.app.view = View::Seq;
    h.app.gamepad = gamepad;
    return h;
  }
  // Presses the keys of a script: ↑↓←→ arrows, ⏎ Enter, ⎋ Esc, ⌫ Backspace, ⌃x Ctrl+x, and any
  // other character typed as it stands.
  static void press(Harness& h, std::u32string_view script) {
    for (std::size_t i = 0; i < script.size(); ++i) {
      switch (script[i]) {
        case U'↑':
          h.press({key(KeyCode::Up)});
          break;
        case U'↓':
          h.press({key(KeyCode::Down)});
          break;
        case U'←':
          h.press({key(KeyCode::Left)});
          break;
        case U'→':
          h.press({key(KeyCode::Right)});
          break;
        case U'⏎':
          h.press({key(KeyCode::Enter)});
          break;
        case U'⎋':
          h.press({key(KeyCode::Esc)});
          break;
        case U'⌫':
          h.press({key(KeyCode::Backspace)});
          break;
        case U'⌃':
          h.press({ctrl(script[++i])});
          break;
        default:
          h.press({ch(script[i])});
          break;
      }
    }
  }
  static std::string utf8(std::u32string_view script) {
    std::string text;
    for (char32_t c : script) text += term::encode_utf8(c);
    return text;
  }
  static std::string status_of(const Harness& h) { return h.app.status ? h.app.status->text : ""; }
  fs::path data(const char* relative) const { return home() / ".quorvelan" / relative; }
};

TEST_F(Dialog, KeysMoveThroughTheStagesAndTypeOnlyWhatANameMayHold) {
  struct Case {
    bool gamepad;
    std::u32string keys;
    bool open;
    DialogStage stage;
    FileTarget target;
    std::string name;
  };
  using enum DialogStage;
  using enum FileTarget;
  // clang-format off
  const Case cases[] = {
      {false, U"s⎋", false, TargetMenu, Pattern, ""},
      {false, U"s↓↓↓⏎", true, NameEntry, Project, ""},                  // the menu stops at its ends
      {false, U"s↑⏎", true, NameEntry, Pattern, ""},
      {false, U"s⏎Gé名7 -_/.!♪\\⌃a", true, NameEntry, Pattern, "Gé名7 -_"},  // only these are typed
      {false, U"s⏎aé⌫", true, NameEntry, Pattern, "a"},                  // a whole character goes
      {false, U"s⏎⏎", true, NameEntry, Pattern, ""},                     // no name: no save
      {false, U"s↓⏎x⎋", true, TargetMenu, SynthPreset, "x"},
      {false, U"s↓⏎x⎋⏎", true, NameEntry, Pattern, ""},                  // a fresh name per target
      {true, U"s⏎q→→⏎↓⏎←↑↑⏎", true, NameEntry, Pattern, "CMB"},          // letters do not type
      {true, U"s⏎←⏎↓↓↓↓⏎→→→→→→→→→→⏎", true, NameEntry, Pattern, "A4 "},  // the grid's edges hold
      {true, U"s⏎⏎⏎⎋", true, NameEntry, Pattern, "A"},                   // Esc deletes first
      {true, U"s⏎⏎⎋⎋", true, TargetMenu, Pattern, ""},
      {true, U"s⏎ ", true, NameEntry, Pattern, ""},                      // Space saves only a name
      {false, U"l↓↓⏎", true, FileList, Project, ""},
      {false, U"l↓↓⏎⎋", true, TargetMenu, Project, ""},
      {false, U"l⏎↓⏎", true, FileList, Pattern, ""},                     // an empty list stays
  };
  // clang-format on
  for (const auto& c : cases) {
    auto h = in_sequencer(c.gamepad);
    press(h, c.keys);
    const std::string what = utf8(c.keys);
    EXPECT_EQ(h.app.dialog_open, c.open) << what;
    if (!c.open) continue;
    EXPECT_EQ(h.app.dialog_stage, c.stage) << what;
    EXPECT_EQ(h.app.dialog_target, c.target) << what;
    EXPECT_EQ(h.app.dialog_name, c.name) << what;
    if (c.stage != DialogStage::NameEntry) {
      EXPECT_EQ(h.app.dialog_file_index, 0u) << what;
    }
  }
}

TEST_F(Dialog, EachTargetSavesUnderTheTrimmedNameAndSaysSo) {
  struct Case {
    std::u32string keys;
    const char* file;  // none when nothing may be written
    const char* status;
  };
  const Case cases[] = {
      {U"s⏎Groove⏎", "patterns/Groove.json", "Saved: Groove"},
      {U"s↓⏎ Bass ⏎", "presets/Bass.json", "Saved preset for Track 2: Bass"},
      {U"s↓↓⏎Song⏎", "projects/Song.json", "Saved: Song"},
      {U"s↓↓⏎   ⏎", nullptr, ""},
  };
  for (const auto& c : cases) {
    auto h = in_sequencer();
    h.app.current_track = 1;
    h.app.effects.chorus_mix = 0.875f;
    h.app.synth_params[1].algorithm = 7;
    press(h, c.keys);
    EXPECT_FALSE(h.app.dialog_open);
    EXPECT_EQ(status_of(h), c.status);
    if (c.file == nullptr) {
      EXPECT_EQ(preset::list_projects(), std::vector<std::string>{"Song"});
      EXPECT_FALSE(h.app.project_name);
      continue;
    }
    EXPECT_TRUE(fs::exists(data(c.file))) << c.file;
  }
  // The pattern carries the effects playing; the preset holds the current track's patch.
  EXPECT_EQ(preset::load_pattern(data("patterns/Groove.json"))->effects->chorus_mix, 0.875f);
  EXPECT_EQ(preset::load_from_bank(preset::list_all_banks().back(), 0)->algorithm, 7);
}

TEST_F(Dialog, AFailedProjectSaveKeepsTheAutosaveOnTheOpenProject) {
  write_file(data("projects"), "a file where the folder should be");
  test_support::LogCapture log("quorvelan::ui::app");
  for (auto open : {std::optional<std::string>("Old"), std::optional<std::string>()}) {
    auto h = in_sequencer();
    h.app.project_name = open;
    press(h, U"s↓↓⏎New⏎");
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
  press(h, U"l⏎⏎");  // "Bad" sorts first
  EXPECT_FALSE(h.app.dialog_open);
  EXPECT_TRUE(status_of(h).starts_with("Load error: ")) << status_of(h);
  EXPECT_TRUE(log.contains("error " + status_of(h))) << log.text();
  EXPECT_EQ(h.app.current_pattern_ref(), before);

  press(h, U"l⏎↓⏎");
  EXPECT_EQ(status_of(h), "Loaded: Beat");
  EXPECT_EQ(h.app.current_pattern_ref().bpm, 90.0);
  EXPECT_EQ(h.app.bpm, 120.0);
  EXPECT_EQ(h.app.effects.chorus_mix, 0.25f);
  EXPECT_EQ(h.app.current_step, 7);
  EXPECT_TRUE(h.app.dirty);
  EXPECT_TRUE(std::ranges::any_of(h.drain_sent(), [](const auto& message) {
    const auto* set = messages::get_if<messages::AudioMessage::SetEffectParam>(message);
    return set != nullptr && set->effect == 0 && set->param == 2 && set->value == 0.25f;
  }));
}

TEST_F(Dialog, ThePresetBrowserFiltersLoadsIntoTheTrackAndReopensWhereItWas) {
  struct Step {
    std::u32string keys;
    bool open;
    bool in_presets;
    std::string filter;
    std::size_t shown;  // entries that pass the filter
    std::size_t cursor;
  };
  // clang-format off
  const Step steps[] = {
      {U"l↓⏎↓↓↑", true, false, "", 0, 0},
      {U"⏎", true, true, "", 32, 0},
      {U"bAs/s↓", true, true, "bAss", 4, 1},         // Round, Slap, Pluck and Wood Bass
      {U"⌫", true, true, "bAs", 4, 1},
      {U"sz⏎", true, true, "bAssz", 0, 0},           // Enter on no match does nothing
      {U"⌫↓↓↓↓", true, true, "bAss", 4, 3},
      {U"↑⏎", false, true, "bAss", 4, 2},             // loads Pluck Bass and closes
      {U"l↓⏎", true, true, "", 32, 2},               // back where it was, unfiltered
      {U"x⎋", true, true, "", 32, 0},
      {U"⎋", true, false, "", 32, 0},
  };
  // clang-format on
  auto h = in_sequencer();
  h.app.current_track = 1;
  for (const auto& step : steps) {
    press(h, step.keys);
    const std::string what = utf8(step.keys);
    EXPECT_EQ(h.app.dialog_open, step.open) << what;
    EXPECT_EQ(h.app.in_presets, step.in_presets) << what;
    EXPECT_EQ(h.app.bank_index, 0u) << what;
    EXPECT_EQ(h.app.preset_filter, step.filter) << what;
    if (step.in_presets) {
      EXPECT_EQ(h.app.filtered_presets.size(), step.shown) << what;
    }
    EXPECT_EQ(h.app.preset_index, step.cursor) << what;
    if (step.open) continue;
    EXPECT_EQ(status_of(h), "Loaded to Track 2: [DX7 ROM1A] Pluck Bass");
    EXPECT_EQ(h.app.synth_params[1], dx7::convert::convert_voice(dx7::factory::ROM1A.voices()[6]));
    EXPECT_TRUE(std::ranges::any_of(h.drain_sent(), [](const auto& message) {
      const auto* set = messages::get_if<messages::AudioMessage::SetSynthParam>(message);
      return set != nullptr && set->track == 1;
    }));
  }
  press(h, U"⎋");
  EXPECT_EQ(h.app.dialog_stage, DialogStage::TargetMenu);
}

TEST_F(Dialog, TheFilterComparesUpperCaseOfAnyScript) {
  const std::pair<std::string, std::vector<std::size_t>> cases[] = {
      {"", {0, 1, 2, 3}}, {"bas", {1, 2}}, {"é", {0}}, {"GRÖ", {3}}, {"ß", {3}}, {"zz", {}},
  };
  auto h = in_sequencer();
  h.app.banks = {preset::PresetBank{
      {preset::BankSource::User{}}, "User", {"Éclat", "bass", "Bassoon", "größe"}}};
  for (const auto& [filter, shown] : cases) {
    h.app.preset_filter = filter;
    h.app.apply_preset_filter();
    EXPECT_EQ(h.app.filtered_presets, shown) << filter;
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
  press(h, U"l↓⏎↓↓⏎↓↓⏎");
  ASSERT_EQ(status_of(h), "Loaded to Track 1: [User] c");
  fs::remove(data("presets/a.json"));
  fs::remove(data("presets/c.json"));

  press(h, U"l↓⏎");
  EXPECT_EQ(h.app.filtered_presets, (std::vector<std::size_t>{0}));
  EXPECT_EQ(h.app.preset_index, 0u);
  write_file(data("presets/b.json"), "not a preset");
  const auto patch = h.app.synth_params[0];
  press(h, U"⏎");
  EXPECT_EQ(status_of(h), "Failed to load preset");
  EXPECT_EQ(h.app.synth_params[0], patch);
}

}  // namespace
}  // namespace quorvelan::ui::app
