// The MIX view drawn at 100x30: four track strips and the master strip with their meters, the
// rows the jump labels point at, and strips too narrow for their bars.

#include <gtest/gtest.h>

#include "term/width.hpp"
#include "ui/harness.hpp"
#include "ui/view_cells.hpp"

namespace quorvelan::ui::app {
namespace {

constexpr term::Color kRed = term::Color::hex(0xEB4D4B);
constexpr term::Color kOrange = term::Color::hex(0xF39C12);
constexpr term::Color kGreen = term::Color::hex(0x6AB04C);
constexpr term::Color kUnlit = term::Color::hex(0x313244);

Harness mix_view(const views::Theme& theme) {
  auto h = Harness::make();
  h.app.view = View::Mix;
  h.app.row_nav = true;
  h.app.theme = theme;
  for (auto& strip : h.app.mixer) {
    strip = {.volume = 0.8f, .pan = 0.0f, .chorus_send = 0.1f, .delay_send = 0.2f,
             .reverb_send = 0.3f};
  }
  h.app.mixer[1].muted = true;
  h.app.mixer[2].pan = -0.5f;
  h.app.mixer[3].pan = 1.0f;
  h.app.meters[0] = {1.0f, 0.5f};
  h.app.meters[3] = {0.3f, 0.9f};
  h.app.master_volume = 1.0f;
  h.app.effects.overdrive_drive = 0.0f;
  h.app.effects.overdrive_tone = 0.5f;
  h.app.effects.dj_filter_cutoff = 0.47f;
  h.app.effects.dj_filter_resonance = 0.0f;
  // Track 3's pan being edited.
  h.app.column = 2;
  h.app.current_track = 2;
  h.app.mixer_row = 1;
  h.app.editing = true;
  return h;
}

TEST(MixView, StripsShowLevelsPanSendsAndTheMasterSection) {
  auto h = mix_view(views::Theme::dark());
  const auto b = h.draw(100, 30);
  EXPECT_EQ(cells_text(b, 0, 1, 100),
            "╭ Track 1 ─────────╮╭ Track 2 ─────────╮╭ > Track 3 ───────╮╭ Track 4 ─────────╮"
            "╭ Master ──────────╮");
  auto track_rows = [](const char* mute, const char* pan, const char* marker) {
    return std::vector<std::string>{mute,         "  Vol:80%",  " |========  |",
                                    std::string(marker) + "Pan:" + pan,
                                    "",           "Sends:",     "  CHR:10%",
                                    "  DEL:20%",  "  REV:30%"};
  };
  const std::vector<std::vector<std::string>> strips{
      track_rows("", "C", "  "), track_rows("[MUTED]", "C", "  "),
      track_rows("", "L25", ">>"), track_rows("", "R50", "  "),
      {"  Vol:100%", " |==        |", " Overdrive", "  Drv:0%", "  Tone:50%", " DJ Filter",
       "  Cut:LP 6%", "  Reso:0%", ""}};
  for (int s = 0; s < 5; ++s) {
    for (int line = 0; line < 9; ++line) {
      EXPECT_EQ(cells_text(b, s * 20 + 1, 2 + line, 13), term::pad_right(strips[s][line], 13))
          << "strip " << s << " line " << line;
    }
  }
}

TEST(MixView, TheDjFilterShowsItsSideAndAnOffBandAroundTheMiddle) {
  const std::vector<std::pair<float, std::string>> cases{
      {0.5f, "OFF"}, {0.48f, "OFF"}, {0.52f, "OFF"}, {0.47f, "LP 6%"}, {0.0f, "LP 100%"},
      {0.9f, "HP 80%"}};
  for (const auto& [cutoff, text] : cases) {
    auto h = mix_view(views::Theme::dark());
    h.app.effects.dj_filter_cutoff = cutoff;
    EXPECT_EQ(cells_text(h.draw(100, 30), 81, 8, 13), term::pad_right("  Cut:" + text, 13));
  }
}

TEST(MixView, FocusEditingMuteAndMetersShowInTheirColoursInBothThemes) {
  for (const auto& theme : {views::Theme::dark(), views::Theme::light_theme()}) {
    auto h = mix_view(theme);
    const auto b = h.draw(100, 30);
    EXPECT_EQ(b.cell(40, 1).foreground, theme.track3);  // the focused strip's border
    EXPECT_TRUE(is_bold(b.cell(42, 1)));
    EXPECT_EQ(b.cell(0, 1).foreground, theme.dim);
    EXPECT_FALSE(is_bold(b.cell(2, 1)));
    EXPECT_EQ(b.cell(43, 5).foreground, theme.dim);     // "Pan:"
    EXPECT_EQ(b.cell(47, 5).foreground, theme.track3);  // the value being edited
    EXPECT_TRUE(is_bold(b.cell(47, 5)));
    EXPECT_EQ(b.cell(27, 3).foreground, theme.fg);      // another strip's value
    EXPECT_EQ(b.cell(2, 4).foreground, theme.track1);   // the volume bar
    EXPECT_EQ(b.cell(21, 2).foreground, term::colors::red);  // "[MUTED]"
    EXPECT_TRUE(is_bold(b.cell(21, 2)));
  }

  // Track 1's meter: the left column full to the top, red up there; the right column lit to
  // half its 25 rows, with a partial block where the level falls inside a row.
  auto h = mix_view(views::Theme::dark());
  const auto b = h.draw(100, 30);
  EXPECT_EQ(cells_text(b, 14, 2, 5), "██   ");
  EXPECT_EQ(b.cell(14, 2).foreground, kRed);
  EXPECT_EQ(b.cell(17, 13).foreground, kUnlit);
  EXPECT_EQ(cells_text(b, 14, 14, 5), "██ ▅▅");
  EXPECT_EQ(cells_text(b, 14, 26, 5), "██ ██");
  EXPECT_EQ(b.cell(17, 26).foreground, kGreen);
  // The master meter: the loudest track on each side (1.0 left, 0.9 right).
  EXPECT_EQ(cells_text(b, 94, 2, 5), "██   ");
  EXPECT_EQ(cells_text(b, 94, 5, 5), "██ ██");
  EXPECT_EQ(b.cell(97, 5).foreground, kOrange);
}

TEST(MixView, JumpLabelsSitOnTheRowsTheyName) {
  auto h = mix_view(views::Theme::dark());
  h.app.editing = false;
  const auto b = h.draw(100, 30);
  const auto cells = h.app.mixer_label_cells(term::Rect{0, 1, 100, 27});
  ASSERT_EQ(cells.size(), 25u);
  const std::vector<std::string> track_labels{"Vol:", "Pan:", "CHR:", "DEL:", "REV:"};
  const std::vector<std::string> master_labels{"Vol:", "Drv:", "Tone:", "Cut:", "Reso:"};
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const auto& label = i < 20 ? track_labels[i % 5] : master_labels[i % 5];
    EXPECT_EQ(cells[i].x, (i / 5) * 20 + 1) << i;
    EXPECT_EQ(cells_text(b, cells[i].x + 2, cells[i].y, static_cast<int>(label.size())), label)
        << "label " << i << " at row " << cells[i].y;
  }
}

TEST(MixView, StripsTooNarrowForTheirBarsDrawWhatFits) {
  auto h = mix_view(views::Theme::dark());
  // 8-column strips leave one text column beside the meter: the bars have no room at all.
  term::TestBackend b(1, 1);
  ASSERT_NO_THROW(b = h.draw(40, 14));
  EXPECT_EQ(cells_text(b, 0, 3, 8), "│ ██   │");
  EXPECT_EQ(cells_text(b, 0, 4, 8), "│ ██   │");
  for (std::uint16_t width = 1; width <= 45; width += 4) {
    for (std::uint16_t height = 1; height <= 14; ++height) {
      EXPECT_NO_THROW(h.draw(width, height)) << width << "x" << height;
    }
  }
}

}  // namespace
}  // namespace quorvelan::ui::app
