// The LFO view drawn at 100x30: the four LFOs' settings, the wave preview, and the target picker
// over them, down to screens too small to hold it.

#include <gtest/gtest.h>

#include "term/width.hpp"
#include "ui/harness.hpp"
#include "ui/mod_targets.hpp"
#include "ui/view_cells.hpp"

namespace quorvelan::ui::app {
namespace {

using lfo::LfoShape;
using lfo::ModTarget;

Harness lfo_view(const views::Theme& theme = views::Theme::dark()) {
  auto h = Harness::make();
  h.app.view = View::Lfo;
  h.app.row_nav = true;
  h.app.theme = theme;
  auto& c = h.app.lfo_configs;
  c[0] = {.enabled = true, .shape = LfoShape::Triangle, .rate = 2.5f, .depth = -0.25f,
          .target = ModTarget::SynthParam{1, 38}, .sync_division = 3.0f, .phase_offset = 0.25f,
          .trig_mode = lfo::LfoTrigMode::Trig, .fade = -2.5f};
  c[1] = {.depth = 1.0f, .target = ModTarget::EffectParam{9, 0}, .sync = true,
          .sync_division = 0.25f, .fade = 2.5f};
  c[2].target = ModTarget::LfoParam{1, 1};
  c[3].target = ModTarget::SendLevel{2};
  h.app.lfo_field = 8;  // the first LFO's phase
  return h;
}

TEST(LfoView, EachLfoShowsItsTenFieldsWithUnitsBarsAndTarget) {
  auto h = lfo_view();
  const auto b = h.draw(100, 30);
  EXPECT_EQ(cells_text(b, 0, 14, 50), "╭ > LFO 1 ──────────────╮╭ LFO 2 ────────────────╮");
  const std::vector<std::vector<std::string>> columns{
      {"  Shape    Tri     |", "  Rate     2.50 Hz |", "  Depth    -25%    |===",
       "  Target: T2:Filter Fre", "  Mode     Trig    |", "  Fade     In 2.5s |===",
       "  Sync     OFF     |", "  Div      1/4     |", "> Phase    90°     |===",
       "  Enabled  ON      |"},
      {"  Shape    Sine    |", "  Rate     1/16    |", "  Depth    +100%   |===",
       "  Target: FX:?", "  Mode     Free    |", "  Fade     Out 2.5s|===",
       "  Sync     ON      |", "  Div      1/16    |", "  Phase    0°      |",
       "  Enabled  OFF     |"},
  };
  for (std::size_t lfo = 0; lfo < columns.size(); ++lfo) {
    for (std::size_t field = 0; field < 10; ++field) {
      EXPECT_EQ(cells_text(b, 1 + 25 * static_cast<int>(lfo), 15 + static_cast<int>(field), 23),
                term::pad_right(columns[lfo][field], 23))
          << "LFO " << lfo + 1 << " field " << field;
    }
  }
  EXPECT_EQ(cells_text(b, 51, 18, 23), term::pad_right("  Target: LFO2:Depth", 23));
  EXPECT_EQ(cells_text(b, 76, 18, 23), "  Target: MIX:Reverb Se");
}

TEST(LfoView, TargetTextsNameEveryKindAndMarkUnknownIndexes) {
  const std::vector<std::pair<ModTarget, std::string>> cases{
      {ModTarget{}, "(none)"},
      {ModTarget::SynthParam{3, 0}, "T4:Op 1 Ratio"},
      {ModTarget::SynthParam{0, 60}, "T1:?"},
      {ModTarget::EffectParam{2, 3}, "FX:Reverb PreDly"},
      {ModTarget::EffectParam{4, 1}, "FX:DEL>REV"},
      {ModTarget::EffectParam{9, 0}, "FX:?"},
      {ModTarget::EffectParam{0, 7}, "FX:?"},
      {ModTarget::SendLevel{0}, "MIX:Chorus Send"},
      {ModTarget::SendLevel{5}, "MIX:?"},
      {ModTarget::LfoParam{3, 0}, "LFO4:Rate"},
      {ModTarget::LfoParam{0, 2}, "LFO1:?"},
  };
  for (const auto& [target, text] : cases) EXPECT_EQ(mod_targets::label(target), text);
}

TEST(LfoView, FocusAndTheSelectedRowShowInTheirColoursInBothThemes) {
  for (const auto& theme : {views::Theme::dark(), views::Theme::light_theme()}) {
    auto h = lfo_view(theme);
    auto b = h.draw(100, 30);
    EXPECT_TRUE(is_bold(b.cell(2, 14)));           // " > LFO 1 "
    EXPECT_FALSE(is_bold(b.cell(27, 14)));
    EXPECT_EQ(b.cell(3, 23).foreground, theme.fg);   // the selected label
    EXPECT_TRUE(is_bold(b.cell(12, 23)));           // its value
    EXPECT_EQ(b.cell(3, 15).foreground, theme.dim);  // another label
    EXPECT_EQ(b.cell(0, 1).foreground, theme.track1);  // the preview of a running LFO
    EXPECT_EQ(cells_text(b, 0, 1, 15), "╭ LFO 1 - Tri ─");

    h.app.lfo_field = 3;
    b = h.draw(100, 30);
    EXPECT_EQ(b.cell(3, 18).foreground, theme.fg);  // "Target:" on the selected row
    EXPECT_TRUE(is_bold(b.cell(11, 18)));
    EXPECT_EQ(b.cell(28, 18).foreground, theme.dim);
  }
}

// The preview's inner area at 100x30: columns 1-98, rows 2-12 (11 rows, 88 eighths of height).
std::string preview_row(const term::TestBackend& b, int y) { return cells_text(b, 1, y, 98); }

lfo::LfoConfig shaped(LfoShape shape, float depth) {
  lfo::LfoConfig config;
  config.shape = shape;
  config.depth = depth;
  return config;
}

TEST(LfoView, ThePreviewTracesTheWaveAtLeastAFifthDeepAndStandsStillWhileOff) {
  auto h = lfo_view();
  h.app.lfo_configs[0] = shaped(LfoShape::Sine, 0.0f);
  auto b = h.draw(100, 30);
  const std::string blank(98, ' ');
  std::string full;
  for (int i = 0; i < 98; ++i) full += "█";
  // Depth 0 still swings 40..60: the lowest four rows always full, the top four always empty.
  for (int y = 2; y <= 5; ++y) EXPECT_EQ(preview_row(b, y), blank) << y;
  for (int y = 9; y <= 12; ++y) EXPECT_EQ(preview_row(b, y), full) << y;
  EXPECT_EQ(b.cell(0, 1).foreground, h.app.theme.dim);  // not running

  // Off, the preview ignores the running phase; on, it follows it.
  h.app.lfo_preview_phase[0] = 0.3f;
  EXPECT_EQ(h.draw(100, 30).buffer().area(), b.buffer().area());
  for (int y = 2; y <= 12; ++y) EXPECT_EQ(preview_row(h.draw(100, 30), y), preview_row(b, y));
  h.app.lfo_configs[0].enabled = true;
  EXPECT_NE(preview_row(h.draw(100, 30), 8), preview_row(b, 8));

  // A quarter cycle in (column 25) the sine peaks; a negative depth turns it over.
  h.app.lfo_configs[0] = shaped(LfoShape::Sine, 1.0f);
  EXPECT_EQ(h.draw(100, 30).cell(26, 12).symbol, "█");
  h.app.lfo_configs[0].depth = -1.0f;
  EXPECT_EQ(h.draw(100, 30).cell(26, 12).symbol, " ");

  // Sample-and-hold has no wave to show: a level line at the middle.
  h.app.lfo_configs[0] = shaped(LfoShape::SampleAndHold, 1.0f);
  b = h.draw(100, 30);
  std::string half;
  for (int i = 0; i < 98; ++i) half += "▄";
  EXPECT_EQ(preview_row(b, 7), half);
  EXPECT_EQ(preview_row(b, 6), blank);
}

TEST(LfoView, JumpLabelsFollowTheSelectedLfoAndTheLastForLargerColumns) {
  auto h = lfo_view();
  const term::Rect body{0, 1, 100, 27};
  for (const auto& [column, x] : std::vector<std::pair<std::uint8_t, std::uint16_t>>{
           {0, 1}, {2, 51}, {7, 76}}) {
    h.app.column = column;
    const auto cells = h.app.lfo_label_cells(body);
    ASSERT_EQ(cells.size(), 10u);
    for (std::uint16_t field = 0; field < 10; ++field) {
      EXPECT_EQ(cells[field], (LabelCell{x, static_cast<std::uint16_t>(15 + field)}));
    }
  }
}

// ---- The target picker ----

Harness with_picker(std::string_view filter, std::size_t index = 0) {
  auto h = lfo_view();
  h.app.lfo_field = 3;
  h.app.picker_open = true;
  h.app.picker_filter = filter;
  h.app.picker_items = App::build_target_list_filtered(filter);
  h.app.picker_index = index;
  return h;
}

TEST(LfoView, ThePickerListsTheMatchesUnderItsFilterWithTheCursorHighlighted) {
  for (const auto& theme : {views::Theme::dark(), views::Theme::light_theme()}) {
    auto h = with_picker("rev");
    h.app.theme = theme;
    const auto b = h.draw(100, 30);
    // 40x20, centred in the body rows 1-27.
    EXPECT_EQ(cells_text(b, 30, 4, 40),
              "╭ Select Target ───────────────────────╮");
    EXPECT_EQ(cells_text(b, 30, 23, 40),
              "╰──────────────────────────────────────╯");
    const std::vector<std::string> lines{"Filter: rev",      "  FX:Reverb Decay",
                                         "  FX:Reverb Damp", "  FX:Reverb Mix",
                                         "  FX:Reverb PreDly", "  FX:CHR>REV",
                                         "  FX:DEL>REV",     "  MIX:Reverb Send", ""};
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(cells_text(b, 31, 5 + static_cast<int>(i), 38), term::pad_right(lines[i], 38));
    }
    for (int x = 31; x <= 68; ++x) EXPECT_EQ(b.cell(x, 6).background, theme.selected_bg) << x;
    EXPECT_EQ(b.cell(33, 6).foreground, theme.selected_fg);
    EXPECT_EQ(b.cell(33, 7).foreground, theme.fg);
    EXPECT_EQ(b.cell(33, 7).background, theme.bg);
  }
}

TEST(LfoView, ThePickerScrollsToItsCursorAndSaysWhenNothingMatches) {
  auto h = with_picker("", 30);
  auto b = h.draw(100, 30);
  // 17 list rows: entries 14 to 30, the cursor's on the last.
  EXPECT_EQ(cells_text(b, 31, 6, 38), term::pad_right("  T1:Op 2 FB", 38));
  EXPECT_EQ(cells_text(b, 31, 22, 38), term::pad_right("  T1:Op 6 Dec", 38));
  EXPECT_EQ(b.cell(31, 22).background, h.app.theme.selected_bg);

  auto unmatched = with_picker("9°x");
  b = unmatched.draw(100, 30);
  EXPECT_EQ(cells_text(b, 30, 5, 40), "│" + term::pad_right("Filter: 9°x", 38) + "│");
  EXPECT_EQ(cells_text(b, 31, 6, 38), term::pad_right("  (no matches)", 38));
}

TEST(LfoView, OnSmallScreensThePickerShrinksToNothingAndLeavesTheRestAlone) {
  struct Size {
    std::uint16_t width, height;
    term::Rect box;  // where the picker may draw
  };
  const std::vector<Size> sizes{
      {20, 8, {2, 3, 16, 1}},   // body 20x5
      {4, 10, {2, 2, 0, 3}},    // body 4x7: no width left
      {30, 6, {13, 2, 26, 0}},  // body 30x3: no height left
      {3, 3, {1, 1, 0, 0}},
  };
  for (const auto& [width, height, box] : sizes) {
    auto h = with_picker("rev");
    const auto open = h.draw(width, height);
    h.app.picker_open = false;
    const auto closed = h.draw(width, height);
    for (int y = 0; y + 1 < height; ++y) {  // the help row names the picker's keys
      for (int x = 0; x < width; ++x) {
        if (!box.contains(x, y)) {
          EXPECT_EQ(open.cell(x, y), closed.cell(x, y)) << width << "x" << height << " at " << x
                                                        << "," << y;
        }
      }
    }
  }
}

}  // namespace
}  // namespace quorvelan::ui::app
