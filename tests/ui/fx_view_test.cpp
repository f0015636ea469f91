// The FX view drawn at 100x30: the three panels with their units, the routing, the focus and a
// live modulation.

#include <gtest/gtest.h>

#include "ui/harness.hpp"
#include "term/width.hpp"
#include "ui/view_cells.hpp"

namespace quorvelan::ui::app {
namespace {

Harness fx_view(const views::Theme& theme) {
  auto h = Harness::make();
  h.app.view = View::Fx;
  h.app.row_nav = true;
  h.app.theme = theme;
  auto& e = h.app.effects;
  e = {.chorus_rate = 0.8f, .chorus_depth = 0.5f, .chorus_mix = 0.3f, .delay_time_l = 0.375f,
       .delay_time_r = 0.5f, .delay_feedback = 0.4f, .delay_mix = 0.3f, .delay_ping_pong = true,
       .reverb_decay = 0.6f, .reverb_damping = 0.7f, .reverb_mix = 0.35f,
       .reverb_predelay = 0.02f, .chorus_to_reverb = 0.25f, .delay_to_reverb = 0.1f};
  // The delay's feedback row, being edited, moved by LFO 1; LFO 2's report on it is not shown.
  h.app.column = 1;
  h.app.fx_row = 2;
  h.app.editing = true;
  h.app.lfo_modulation[0] = {lfo::ModTargetKind::EffectParam, 1, 2, 0.75f};
  h.app.lfo_modulation[1] = {lfo::ModTargetKind::EffectParam, 1, 2, 0.1f};
  h.app.pulse = 0.0f;
  return h;
}

TEST(FxView, PanelsShowEachSettingInItsUnitWithTheRoutingBelow) {
  auto h = fx_view(views::Theme::dark());
  const auto b = h.draw(100, 30);
  struct Panel {
    int x;
    int width;  // inside the border
    std::vector<std::string> rows;
  };
  const std::vector<Panel> panels{
      {1, 31,
       {"╭ CHORUS ───────────────────────╮", "  Rate     0.8 Hz  |=========  ",
        "  Depth    50%     |======     ", "  Mix      30%     |===        ", "  Routing:",
        "  CHR>REV: 25%"}},
      {34, 32,
       {"╭ > DELAY ───────────────────────╮", "  Time L   375ms   |====        ",
        "  Time R   500ms   |======      ", ">○Feedback 40%     |====─────│  ",
        "  Mix      30%     |===         ", "  Ping-Pong: ON", "  DEL>REV: 10%"}},
      {68, 31,
       {"╭ REVERB ───────────────────────╮", "  Decay    60%     |=======    ",
        "  Damping  70%     |========   ", "  Mix      35%     |====       ",
        "  PreDly   20ms    |           ", ""}},
  };
  for (const auto& panel : panels) {
    EXPECT_EQ(cells_text(b, panel.x - 1, 1, panel.width + 2), panel.rows[0]);
    for (std::size_t i = 1; i < panel.rows.size(); ++i) {
      std::string expected = panel.rows[i];
      expected = term::pad_right(expected, panel.width);
      EXPECT_EQ(cells_text(b, panel.x, 1 + static_cast<int>(i), panel.width), expected) << i;
    }
  }
}

TEST(FxView, FocusEditingAndModulationShowInTheirColoursInBothThemes) {
  for (const auto& theme : {views::Theme::dark(), views::Theme::light_theme()}) {
    auto h = fx_view(theme);
    const auto b = h.draw(100, 30);
    EXPECT_TRUE(is_bold(b.cell(35, 1)));    // " > DELAY "
    EXPECT_FALSE(is_bold(b.cell(2, 1)));    // " CHORUS "
    EXPECT_EQ(b.cell(34, 4).foreground, theme.fg);  // the selected row's marker
    EXPECT_EQ(b.cell(35, 4).symbol, "○");           // pulse 0
    EXPECT_EQ(b.cell(35, 4).foreground, theme.dim);
    EXPECT_EQ(b.cell(45, 4).foreground, theme.selected_bg);  // the value being edited
    EXPECT_TRUE(is_bold(b.cell(45, 4)));
    EXPECT_EQ(b.cell(58, 4).foreground, theme.fg);  // the span to LFO 1's value, then its mark
    EXPECT_EQ(b.cell(63, 4).symbol, "│");
    EXPECT_TRUE(is_bold(b.cell(63, 4)));
    EXPECT_EQ(b.cell(3, 2).foreground, theme.dim);  // an unselected label
    EXPECT_EQ(b.cell(12, 2).foreground, theme.fg);  // its value
    EXPECT_FALSE(is_bold(b.cell(12, 2)));
    EXPECT_EQ(b.cell(3, 5).foreground, theme.dim);   // "Routing:"
    EXPECT_EQ(b.cell(12, 6).foreground, theme.fg);   // the chorus feed's level
  }
}

TEST(FxView, JumpLabelsStandOnTheMarkerOfEachRow) {
  auto h = fx_view(views::Theme::dark());
  const term::Rect body{0, 1, 100, 27};
  std::vector<LabelCell> expected{{1, 2}, {1, 3}, {1, 4}};
  for (std::uint16_t y = 2; y <= 5; ++y) expected.push_back({34, y});
  for (std::uint16_t y = 2; y <= 5; ++y) expected.push_back({68, y});
  EXPECT_EQ(h.app.fx_label_cells(body), expected);
}

}  // namespace
}  // namespace quorvelan::ui::app
