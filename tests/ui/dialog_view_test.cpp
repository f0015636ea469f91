// The dialog and the preset browser as a player sees them: boxes centred on the screen, the entry
// under the cursor always in sight, and nothing drawn past the edge of a tiny terminal.

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "preset.hpp"
#include "support/temp_home.hpp"
#include "ui/harness.hpp"
#include "ui/view_cells.hpp"

namespace quorvelan::ui::app {
namespace {

Harness with_dialog(DialogStage stage, FileTarget target, bool is_load) {
  auto h = Harness::make();
  h.app.view = View::Seq;
  h.app.dialog_open = true;
  h.app.dialog_stage = stage;
  h.app.dialog_target = target;
  h.app.dialog_is_load = is_load;
  return h;
}

class DialogView : public test_support::TempHome {};

TEST_F(DialogView, TheMenuAndTheNameAreCentredInTheThemeColours) {
  for (auto theme : {views::Theme::dark(), views::Theme::light_theme()}) {
    auto h = with_dialog(DialogStage::TargetMenu, FileTarget::Pattern, false);
    h.app.theme = theme;
    auto menu = h.draw(100, 30);  // 45 x 5 at (27, 12)
    EXPECT_EQ(menu.cell(27, 12).symbol, "╭");
    EXPECT_EQ(menu.cell(71, 16).symbol, "╯");
    EXPECT_EQ(menu.cell(27, 12).foreground, theme.border);
    EXPECT_EQ(cells_text(menu, 28, 12, 6), " Save ");
    EXPECT_EQ(menu.cell(29, 12).foreground, theme.title);
    EXPECT_EQ(cells_text(menu, 28, 13, 9), "> Pattern");
    EXPECT_EQ(menu.cell(30, 13).foreground, theme.title);
    EXPECT_TRUE(is_bold(menu.cell(30, 13)));
    EXPECT_EQ(cells_text(menu, 28, 14, 14), "  Synth Preset");
    EXPECT_EQ(menu.cell(30, 14).foreground, theme.fg);
    EXPECT_EQ(menu.cell(50, 15).background, theme.bg);

    h.app.dialog_stage = DialogStage::NameEntry;
    h.app.dialog_name = "Groové";
    auto name = h.draw(100, 30);  // 45 x 3 at (27, 13)
    EXPECT_EQ(cells_text(name, 28, 13, 14), " Save Pattern ");
    EXPECT_EQ(cells_text(name, 28, 14, 8), "Groové_ ");
    h.app.dialog_name = std::string(60, 'x');  // the end being typed stays in sight
    EXPECT_EQ(cells_text(h.draw(100, 30), 67, 14, 4), "xxx_");
  }
}

TEST_F(DialogView, TheGamepadGridShowsItsCursorTheSpaceCellAndTheHint) {
  auto h = with_dialog(DialogStage::NameEntry, FileTarget::Project, false);
  h.app.gamepad = true;
  h.app.grid_cursor = 11;
  auto screen = h.draw(100, 30);  // 45 x 10 at (27, 10)
  EXPECT_EQ(cells_text(screen, 28, 10, 14), " Save Project ");
  EXPECT_EQ(cells_text(screen, 28, 11, 2), "_ ");
  EXPECT_EQ(cells_text(screen, 28, 13, 6), " A  B ");
  EXPECT_EQ(cells_text(screen, 31, 14, 3), " L ");
  for (int x = 31; x < 34; ++x) {
    EXPECT_EQ(screen.cell(x, 14).background, h.app.theme.selected_bg);
    EXPECT_EQ(screen.cell(x, 14).foreground, h.app.theme.selected_fg);
  }
  EXPECT_EQ(screen.cell(28, 14).background, h.app.theme.bg);
  EXPECT_EQ(cells_text(screen, 49, 16, 6), " _  ␣ ");
  EXPECT_EQ(cells_text(screen, 28, 18, 22), "A:Add  B:Del  Start:OK");
}

TEST_F(DialogView, AFileListScrollsToKeepTheChosenFileInSight) {
  auto h = with_dialog(DialogStage::FileList, FileTarget::Pattern, true);
  for (int i = 0; i < 40; ++i) h.app.dialog_files.push_back(fmt::format("file{:02}", i));
  h.app.dialog_file_index = 30;
  auto screen = h.draw(100, 30);  // 26 high at (27, 2): 24 rows, files 7 to 30
  EXPECT_EQ(cells_text(screen, 28, 2, 14), " Load Pattern ");
  EXPECT_EQ(cells_text(screen, 28, 3, 8), "  file07");
  EXPECT_EQ(cells_text(screen, 28, 26, 8), "> file30");
  EXPECT_EQ(screen.cell(30, 26).foreground, h.app.theme.title);

  h.app.dialog_files.clear();
  h.app.dialog_file_index = 0;
  screen = h.draw(100, 30);
  EXPECT_EQ(cells_text(screen, 28, 14, 14), "No files found");
  EXPECT_EQ(screen.cell(28, 14).foreground, h.app.theme.dim);
}

TEST_F(DialogView, TheBrowserListsBanksThenTheFilteredPresetsAroundTheCursor) {
  auto h = with_dialog(DialogStage::FileList, FileTarget::SynthPreset, true);
  h.app.banks = preset::list_all_banks();
  auto banks = h.draw(100, 30);  // 50 x 4 at (25, 13)
  EXPECT_EQ(cells_text(banks, 26, 13, 13), " Select Bank ");
  EXPECT_EQ(cells_text(banks, 26, 14, 16), "> DX7 ROM1A (32)");
  EXPECT_EQ(cells_text(banks, 26, 15, 16), "  DX7 ROM1B (32)");

  h.app.in_presets = true;
  h.app.apply_preset_filter();
  h.app.preset_index = 30;
  auto presets = h.draw(100, 30);  // 26 high at (25, 2): the filter line, then 23 presets
  EXPECT_EQ(cells_text(presets, 26, 2, 19), " DX7 ROM1A Presets ");
  EXPECT_EQ(cells_text(presets, 26, 3, 17), "Type to filter...");
  EXPECT_EQ(presets.cell(26, 3).foreground, h.app.theme.dim);
  EXPECT_EQ(cells_text(presets, 26, 4, 12), "  " + h.app.banks[0].presets[8]);
  EXPECT_EQ(cells_text(presets, 26, 26, 11), "> " + h.app.banks[0].presets[30]);

  h.app.preset_filter = "qq";
  h.app.apply_preset_filter();
  h.app.preset_index = 0;
  auto none = h.draw(100, 30);
  EXPECT_EQ(cells_text(none, 26, 14, 2), "qq");
  EXPECT_EQ(cells_text(none, 26, 15, 19), "No matching presets");
}

TEST_F(DialogView, EveryStageFitsATinyTerminal) {
  struct Open {
    DialogStage stage;
    FileTarget target;
    bool in_presets;
  };
  const Open stages[] = {
      {DialogStage::TargetMenu, FileTarget::Pattern, false},
      {DialogStage::NameEntry, FileTarget::Pattern, false},
      {DialogStage::FileList, FileTarget::Project, false},
      {DialogStage::FileList, FileTarget::SynthPreset, false},
      {DialogStage::FileList, FileTarget::SynthPreset, true},
  };
  for (const auto& open : stages) {
    for (bool gamepad : {false, true}) {
      auto h = with_dialog(open.stage, open.target, true);
      h.app.gamepad = gamepad;
      h.app.dialog_files = {"a", "b"};
      h.app.banks = preset::list_all_banks();
      h.app.in_presets = open.in_presets;
      h.app.apply_preset_filter();
      // Four columns short of a box: none. Three rows: the box cut to them, framed whole.
      auto none = h.draw(3, 2);
      for (int y = 0; y < 2; ++y) EXPECT_EQ(none.row(y).find("╭"), std::string::npos);
      auto cut = h.draw(7, 3);
      EXPECT_EQ(cut.cell(2, 0).symbol + cut.cell(4, 0).symbol, "╭╮");
      EXPECT_EQ(cells_text(cut, 2, 2, 3), "╰─╯");
      (void)h.draw(1, 1);
    }
  }
}

}  // namespace
}  // namespace quorvelan::ui::app
