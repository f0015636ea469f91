// The jump-label overlay and the help popup as drawn, and every overlay on screens too small for
// it.

#include <gtest/gtest.h>

#include <functional>

#include "term/width.hpp"
#include "ui/harness.hpp"
#include "ui/view_cells.hpp"

namespace quorvelan::ui::app {
namespace {


Harness in_view(View view) {
  auto h = Harness::make();
  h.app.view = view;
  h.app.row_nav = true;
  return h;
}

// Whether the frame shows `text` from (x, y).
bool shows(const term::TestBackend& frame, int x, int y, std::string_view text) {
  return cells_text(frame, x, y, static_cast<int>(term::display_width(text))) == text;
}

std::string trimmed_row(const term::TestBackend& frame, int y) {
  auto row = frame.row(y);
  return row.substr(0, row.find_last_not_of(' ') + 1);
}

TEST(JumpOverlay, LabelsStandOnTheirCellsAndTheBottomRowsSayHowToJump) {
  auto h = in_view(View::Set);
  h.press({ch(U'g')});
  const auto frame = h.draw(100, 30);
  for (const auto& [x, label] : {std::pair{1, "[a]"}, std::pair{34, "[s]"}, std::pair{68, "[d]"}}) {
    EXPECT_TRUE(shows(frame, x, 1, label));
    for (int i = 0; i < 3; ++i) {
      const auto& cell = frame.cell(x + i, 1);
      EXPECT_EQ(cell.foreground, term::colors::white);
      EXPECT_EQ(cell.background, term::colors::magenta);
      EXPECT_TRUE(is_bold(cell));
    }
  }
  EXPECT_EQ(trimmed_row(frame, 28), " GOTO   Press label to jump  Esc: cancel");
  EXPECT_EQ(frame.cell(1, 28).foreground, term::colors::black);
  EXPECT_EQ(frame.cell(1, 28).background, term::colors::magenta);
  EXPECT_EQ(frame.cell(8, 28).background, h.app.theme.status_bg);
  EXPECT_FALSE(is_bold(frame.cell(8, 28)));
  EXPECT_TRUE(is_bold(frame.cell(29, 28)));  // "Esc"
  EXPECT_EQ(frame.cell(99, 28).background, h.app.theme.status_bg);
  EXPECT_EQ(trimmed_row(frame, 29), " [a]Project  [s]Audio  [d]MIDI");
  EXPECT_EQ(frame.cell(2, 29).foreground, h.app.theme.fg);
  EXPECT_EQ(frame.cell(99, 29).background, h.app.theme.bg);
}

TEST(JumpOverlay, ALabelThatWouldCrossTheRightEdgeIsLeftOut) {
  auto h = in_view(View::Set);
  h.press({ch(U'g')});
  // Five columns split in thirds at 0, 2 and 3: only the first label fits whole.
  const auto frame = h.draw(5, 6);
  EXPECT_TRUE(shows(frame, 1, 1, "[a]"));
  EXPECT_EQ(frame.cell(3, 1).background, term::colors::magenta);
  EXPECT_NE(frame.cell(4, 1).background, term::colors::magenta);
  EXPECT_EQ(trimmed_row(frame, 5), " [a]P");
}

TEST(HelpPopup, SizeTitlesAndScrollFollowTheScreenAndTheWording) {
  struct Case {
    const char* what;
    std::uint16_t width, height;
    bool gamepad;
    std::uint16_t scroll;
    term::Rect popup;
    std::string title, closing, first_line;
  };
  const std::vector<Case> cases{
      {"at the top of the keyboard help",
       100,
       30,
       false,
       0,
       {19, 1, 62, 28},
       " Help - Keybindings ",
       " Esc:close  Up/Down:scroll  26/46 ",
       "  GLOBAL"},
      {"scrolled past the end it shows the last lines",
       100,
       30,
       false,
       100,
       {19, 1, 62, 28},
       " Help - Keybindings ",
       " Esc:close  Up/Down:scroll  46/46 ",
       "    Space           Play / Stop"},
      {"a narrow screen",
       40,
       30,
       false,
       3,
       {2, 1, 36, 28},
       " Help - Keybindings ",
       " Esc:close  Up/Down:scroll  29/46 ",
       "    Ctrl+Up/Down    Switch"},
      {"the gamepad help fits a tall screen",
       100,
       60,
       true,
       7,
       {19, 10, 62, 39},
       " Help - Gamepad Controls ",
       " B / Sel+B: close ",
       "  GLOBAL"},
      {"the gamepad help scrolled",
       80,
       24,
       true,
       2,
       {9, 1, 62, 22},
       " Help - Gamepad Controls ",
       " B:close  D-pad:scroll  22/37 ",
       "    X / Y           Switch view"},
  };
  for (const auto& c : cases) {
    auto h = in_view(View::Seq);
    h.app.gamepad = c.gamepad;
    h.app.help_visible = true;
    h.app.help_scroll = c.scroll;
    const auto frame = h.draw(c.width, c.height);
    const auto& p = c.popup;
    const int right = p.x + p.width - 1;
    const int bottom = p.y + p.height - 1;
    EXPECT_EQ(frame.cell(p.x, p.y).symbol, "╭") << c.what;
    EXPECT_EQ(frame.cell(right, bottom).symbol, "╯") << c.what;
    EXPECT_NE(frame.cell(right + 1, bottom).symbol, "─") << c.what;
    EXPECT_TRUE(shows(frame, p.x + 1, p.y, c.title)) << c.what;
    EXPECT_TRUE(shows(frame, p.x + 1, bottom, c.closing)) << c.what;
    EXPECT_TRUE(shows(frame, p.x + 1, p.y + 1, c.first_line)) << c.what;
  }
}

TEST(HelpPopup, SectionsRowsAndBackgroundAreStyledPerTheme) {
  for (const auto& theme : {views::Theme::dark(), views::Theme::light_theme()}) {
    auto h = in_view(View::Seq);
    h.app.theme = theme;
    h.app.help_visible = true;
    h.app.help_scroll = 19;  // "NORMAL MODE" heads the visible lines
    const auto frame = h.draw(100, 30);
    const auto background = term::Color::hex(theme.light ? 0xE6E9EF : 0x1E1E2E);
    EXPECT_TRUE(shows(frame, 20, 2, "  NORMAL MODE"));
    EXPECT_EQ(frame.cell(22, 2).foreground, theme.title);
    EXPECT_TRUE(is_bold(frame.cell(22, 2)));
    // A key longer than its 16 columns is followed directly by its description.
    const std::string row = "    q / w / e / r / t / ySEQ / SYNTH / FX / LFO / MIX / SET";
    EXPECT_TRUE(shows(frame, 20, 4, row));
    EXPECT_EQ(frame.cell(24, 4).foreground, theme.fg);
    EXPECT_EQ(frame.cell(45, 4).foreground, theme.dim);
    EXPECT_EQ(frame.cell(24, 4).background, background);
    EXPECT_EQ(frame.cell(79, 20).background, background) << "to the popup's right border";
    EXPECT_FALSE(is_bold(frame.cell(24, 4)));
  }
}

// Every overlay, each alone and all at once, in every view and page.
std::vector<std::function<void(App&)>> overlay_openers() {
  return {
      [](App& app) { app.jump_targets = app.build_easymotion_targets(), app.jump_active = true; },
      [](App& app) { app.help_visible = true, app.help_scroll = 65535; },
      [](App& app) { app.dialog_open = true, app.dialog_stage = DialogStage::TargetMenu; },
      [](App& app) { app.dialog_open = true, app.dialog_stage = DialogStage::NameEntry; },
      [](App& app) {
        app.dialog_open = true, app.dialog_is_load = true, app.dialog_stage = DialogStage::FileList;
        app.dialog_files = {"one", "two"};
      },
      [](App& app) {
        app.dialog_open = true, app.dialog_is_load = true,
        app.dialog_target = FileTarget::SynthPreset;
        app.dialog_stage = DialogStage::FileList;
      },
      [](App& app) {
        app.picker_open = true;
        app.picker_items = App::build_target_list_filtered("");
      },
      [](App& app) {
        app.jump_targets = app.build_easymotion_targets(), app.jump_active = true;
        app.help_visible = true, app.dialog_open = true, app.picker_open = true;
      },
  };
}

// Before, sizes such as "screen width - 4" wrapped round on small screens and the popups were
// placed far outside the frame.
TEST(Overlays, ScreensTooSmallForThemDrawOnlyWhatFits) {
  for (const View view : {View::Seq, View::Synth, View::Fx, View::Lfo, View::Mix, View::Set}) {
    for (const auto& open : overlay_openers()) {
      for (const auto& [width, height] : {std::pair{3, 2}, std::pair{1, 1}, std::pair{4, 3},
                                          std::pair{6, 4}, std::pair{0, 0}, std::pair{200, 2}}) {
        auto h = in_view(view);
        h.app.seq_page = SeqPage::Arp;
        h.app.synth_page = SynthPage::Amp;
        open(h.app);
        h.draw(static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height));
      }
    }
  }
}

// The rows for step editing promise only what the keys do there: Up raises the value, Tab moves
// to the next row, the brackets step coarsely, and no key changes the octave.
TEST(HelpPopup, TheStepEditingRowsDescribeTheKeysAsTheyWork) {
  auto h = in_view(View::Seq);
  h.app.help_visible = true;
  h.app.help_scroll = 65535;
  std::string help;
  const auto frame = h.draw(100, 60);
  for (int y = 0; y < 60; ++y) help += frame.row(y) + "\n";
  EXPECT_EQ(help.find("Octave"), std::string::npos);
  EXPECT_NE(help.find("Up / Down       Adjust value"), std::string::npos);
  EXPECT_NE(help.find("Tab / Shift+Tab Move cursor by row"), std::string::npos);
  EXPECT_NE(help.find("[ / ]           Coarse adjust"), std::string::npos);

  h.app.help_visible = false;
  h.app.editing = true;
  const auto before = h.app.current_pattern_ref().tracks[0].steps[0].note;
  h.press({key(term::KeyCode::Up), key(term::KeyCode::Tab), ch(']')});
  EXPECT_EQ(h.app.current_pattern_ref().tracks[0].steps[0].note, *before + 1);
  EXPECT_EQ(h.app.detail_row, 1);
  EXPECT_EQ(h.app.current_pattern_ref().tracks[0].steps[0].velocity, 121);
  EXPECT_EQ(h.app.octave, 4);
}

}  // namespace
}  // namespace quorvelan::ui::app
