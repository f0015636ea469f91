// The SEQ view drawn on the test back end and read cell by cell: texts, theme colours and
// modifiers of the track tabs, pattern strip, step grid, step detail, arpeggiator panel and page
// strip, in both themes.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "term/width.hpp"
#include "ui/harness.hpp"
#include "ui/view_cells.hpp"

namespace quorvelan::ui::app {
namespace {

namespace pattern = sequencer::pattern;
using term::Modifier;
using views::Theme;
using Slot = term::Color Theme::*;

// At 100 x 30 the body is rows 1 to 27; the page strip takes columns 97 to 99.
constexpr std::uint16_t kWidth = 100;
constexpr std::uint16_t kHeight = 30;

// Text that must stand from (x, y), every one of its cells in the given look.
struct Look {
  int x;
  int y;
  std::string text;
  Slot fg;
  Slot bg = &Theme::bg;
  Modifier modifiers = Modifier::None;
};

void expect_looks(const term::TestBackend& frame, const Theme& theme,
                  const std::vector<Look>& looks) {
  for (const auto& look : looks) {
    const auto glyphs = term::graphemes(look.text);
    SCOPED_TRACE(look.text);
    EXPECT_EQ(cells_text(frame, look.x, look.y, static_cast<int>(glyphs.size())), look.text)
        << "at " << look.x << "," << look.y;
    for (int i = 0; i < static_cast<int>(glyphs.size()); ++i) {
      const auto& cell = frame.cell(look.x + i, look.y);
      EXPECT_EQ(cell.foreground, theme.*look.fg) << "fg at " << look.x + i << "," << look.y;
      EXPECT_EQ(cell.background, theme.*look.bg) << "bg at " << look.x + i << "," << look.y;
      EXPECT_EQ(cell.modifiers, look.modifiers) << "modifiers at " << look.x + i << "," << look.y;
    }
  }
}

Harness seq_harness(bool light) {
  auto h = Harness::make();
  h.press({key(term::KeyCode::Enter)});
  if (light) h.press({ch('T')});
  h.app.row_nav = true;
  return h;
}

void set_step(Pattern& p, std::size_t index, std::optional<std::uint8_t> note,
              bool accent = false) {
  auto& step = p.tracks[0].steps[index];
  step.flags = pattern::kStepOn | (accent ? pattern::kStepAccent : 0);
  step.note = note;
}

// Track 1 of length 20: C3 accented, on without a note, off, C#3 (played next), off on the beat,
// A#3 accented under the cursor; G8 opens the second row. Track 3 is muted. Slot 2 is empty,
// slot 3 holds only a parameter lock.
void build_steps_scene(Harness& h) {
  auto& p = h.app.mutable_current_pattern();
  p = Pattern::default_pattern();
  p.tracks[0].length = 20;
  set_step(p, 0, 60, true);
  set_step(p, 1, std::nullopt);
  set_step(p, 3, 61);
  set_step(p, 5, 70, true);
  p.tracks[0].steps[5].micro_timing = -3;
  p.tracks[0].steps[5].trig_condition = pattern::TrigCondition::ModCount{1, 4};
  set_step(p, 16, 127);
  p.tracks[1].clock_division = pattern::ClockDivision::Triplet8;
  h.app.patterns.push_back(std::make_shared<Pattern>());
  h.app.patterns.push_back(std::make_shared<Pattern>());
  h.app.patterns[2]->plocks.push_back({1, 2, 3, 0.5f});
  h.app.mixer[2].muted = true;
  h.app.current_step = 5;
  h.app.playing = true;
  h.app.play_steps = {3, 0, 0, 0};
}

TEST(SeqView, StepPageInBothThemes) {
  for (bool light : {false, true}) {
    SCOPED_TRACE(light ? "light" : "dark");
    auto h = seq_harness(light);
    build_steps_scene(h);
    const auto& theme = h.app.theme;
    ASSERT_EQ(theme.light, light);
    auto frame = h.draw(kWidth, kHeight);

    // The current tab in black on its track's colour, the others in their colours (focused),
    // the muted one in the border colour.
    EXPECT_EQ(cells_text(frame, 0, 1, 10), "╭> Track 1");
    EXPECT_EQ(frame.cell(3, 2).foreground, term::colors::black);
    EXPECT_EQ(frame.cell(3, 2).background, theme.track1);
    EXPECT_EQ(frame.cell(3, 2).modifiers, Modifier::Bold);
    EXPECT_EQ(frame.cell(23, 3).background, theme.track1);
    expect_looks(frame, theme,
                 {{24, 1, "╭> Track 2─", &Theme::track2},
                  {25, 2, "Len:16 Div:1/8T", &Theme::track2},
                  {49, 1, "╭> Track 3 [M]─", &Theme::border},
                  {73, 1, "╭> Track 4", &Theme::track4},
                  // Pattern strip: the current slot, an empty one, one holding only a lock.
                  {0, 4, "[01]", &Theme::title, &Theme::header_bg, Modifier::Bold},
                  {4, 4, " ·· ", &Theme::dim, &Theme::header_bg},
                  {8, 4, " 03 ", &Theme::fg, &Theme::header_bg},
                  // Grid: cells 5 columns apart, 4 drawn.
                  {0, 5, "╭ > Pattern A01 - Track 1 ─", &Theme::track1},
                  {1, 6, "C3  ", &Theme::track1, &Theme::bg, Modifier::Bold},
                  {6, 6, "--- ", &Theme::track1},
                  {11, 6, "--  ", &Theme::empty_step},
                  {16, 6, "C#3 ", &Theme::playhead_fg, &Theme::playhead_bg},
                  {21, 6, "--  ", &Theme::beat_step},
                  {26, 6, "A#3 ", &Theme::track1, &Theme::bg, Modifier::Reversed | Modifier::Bold},
                  {76, 6, "--  ", &Theme::empty_step},
                  {1, 7, "G8  ", &Theme::track1},
                  {16, 7, "--  ", &Theme::empty_step},
                  // Step detail of the cursor step.
                  {0, 25, "╭ Step 06 ─", &Theme::dim},
                  {1, 26, "  Note:", &Theme::dim},
                  {8, 26, "A#3   ", &Theme::fg},
                  {14, 26, "  Vel:", &Theme::dim},
                  {20, 26, "100   ", &Theme::fg},
                  {87, 26, " ON ACC", &Theme::dim},
                  // Page strip: the left border, then the lines cut to two columns.
                  {97, 1, "│", &Theme::dim},
                  {98, 2, "SE", &Theme::selected_fg, &Theme::selected_bg, Modifier::Bold},
                  {98, 3, " ", &Theme::dim},
                  {99, 3, "·", &Theme::dim},
                  {99, 4, "▼", &Theme::selected_fg, &Theme::selected_bg, Modifier::Bold}});
    EXPECT_EQ(cells_text(frame, 1, 26, 93),
              "  Note:A#3     Vel:100     Gate:0       uT:-3      Cond:1:4     Len:20      "
              "Div:1/16   ON ACC");
    EXPECT_EQ(cells_text(frame, 21, 7, 5), "     ") << "the second row ends at the length";

    // Editing: the cursor cell turns solid, the grid title and the detail light up.
    h.press({key(term::KeyCode::Enter), key(term::KeyCode::Tab)});
    h.app.playing = false;
    frame = h.draw(kWidth, kHeight);
    expect_looks(
        frame, theme,
        {{0, 5, "╭ >> Pattern A01 - Track 1 ─", &Theme::track1, &Theme::bg, Modifier::Bold},
         {16, 6, "C#3 ", &Theme::track1},
         {26, 6, "A#3 ", &Theme::selected_fg, &Theme::track1, Modifier::Bold},
         {0, 25, "╭ Step 06 ─", &Theme::track1, &Theme::bg, Modifier::Bold},
         {1, 26, "  Note:", &Theme::dim},
         {8, 26, "A#3   ", &Theme::fg},
         {14, 26, ">>Vel:", &Theme::dim},
         {20, 26, "100   ", &Theme::track1, &Theme::bg, Modifier::Bold}});
  }
}

TEST(SeqView, TabsLoseTheirColoursAndMarkerWhenNotFocused) {
  auto h = seq_harness(false);
  h.app.column = 1;
  h.app.current_track = 2;
  auto frame = h.draw(kWidth, kHeight);
  expect_looks(frame, h.app.theme,
               {{0, 1, "╭ Track 1─", &Theme::dim}, {73, 1, "╭ Track 4─", &Theme::dim}});
  EXPECT_EQ(frame.cell(55, 2).background, h.app.theme.track3);
  h.app.column = 0;
  h.app.row_nav = false;
  EXPECT_EQ(cells_text(h.draw(kWidth, kHeight), 0, 1, 10), "╭* Track 1");
}

TEST(SeqView, GridCellsFollowTheInnerWidth) {
  struct Case {
    std::uint16_t screen_width;  // the grid's inner width is 5 less
    std::uint8_t length;
    std::size_t pitch;
    std::vector<std::size_t> cells;  // per row
  };
  const std::vector<Case> cases{
      {85, 16, 5, {16}},     // cells 5 apart, 4 drawn
      {45, 16, 4, {10}},     // steps 11-16 do not fit
      {85, 20, 5, {16, 4}},  // a second row for steps 17-20
      {20, 16, 4, {0}},      // 15 columns: the block only
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.screen_width);
    auto h = seq_harness(false);
    h.app.mutable_current_pattern() = Pattern::default_pattern();
    h.app.mutable_current_pattern().tracks[0].length = c.length;
    h.app.current_step = 1;
    auto frame = h.draw(c.screen_width, kHeight);
    const std::size_t inner_width = c.screen_width - 5u;
    for (std::size_t row = 0; row < c.cells.size(); ++row) {
      std::string expected;
      for (std::size_t cell = 0; cell < c.cells[row]; ++cell)
        expected += term::pad_right("--", c.pitch);
      EXPECT_EQ(cells_text(frame, 1, 6 + static_cast<int>(row), static_cast<int>(inner_width)),
                term::pad_right(expected, inner_width));
    }
  }
}

// Track 2's arpeggiator: division T/8, latch on, four offsets with the second selected.
void build_arp_scene(Harness& h) {
  h.app.current_track = 1;
  h.app.seq_page = SeqPage::Arp;
  h.app.arp_field = 6;
  h.app.arp_offset_index = 1;
  auto& track = h.app.mutable_current_pattern().tracks[1];
  track.arp.division = pattern::ClockDivision::Triplet8;
  track.arp.latch = true;
  track.arp.length = 4;
  track.arp.offsets = {0, 7, -5, 12};
  track.scale = pattern::ScaleType::Dorian;
  track.scale_root = 11;
}

TEST(SeqView, ArpeggiatorPageInBothThemes) {
  for (bool light : {false, true}) {
    SCOPED_TRACE(light ? "light" : "dark");
    auto h = seq_harness(light);
    build_arp_scene(h);
    const auto& theme = h.app.theme;
    auto frame = h.draw(kWidth, kHeight);
    const std::vector<std::string> lines{
        "  Mode:     Off", "  Division: T/8", "  Gate:     50%",          "  Octaves:  1",
        "  Length:   4",   "  Latch:    On",  "> Offsets:  +0 +7 -5 +12", "  Scale:    Dorian",
        "  Root:     B"};
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(cells_text(frame, 1, 5 + static_cast<int>(i), static_cast<int>(lines[i].size())),
                lines[i]);
    }
    expect_looks(frame, theme,
                 {{0, 4, "╭ Arpeggiator - Track 2 ─", &Theme::track2},
                  {1, 5, "  Mode:     ", &Theme::dim},
                  {13, 5, "Off", &Theme::fg},
                  {1, 11, "> Offsets:  ", &Theme::dim},
                  {13, 11, "+0", &Theme::fg, &Theme::bg, Modifier::Bold},
                  {15, 11, " ", &Theme::dim},
                  {16, 11, "+7", &Theme::fg, &Theme::bg, Modifier::Bold | Modifier::Underlined},
                  {22, 11, "+12", &Theme::fg, &Theme::bg, Modifier::Bold},
                  {99, 1, "▲", &Theme::selected_fg, &Theme::selected_bg, Modifier::Bold},
                  {99, 2, "·", &Theme::dim},
                  {98, 3, "AR", &Theme::selected_fg, &Theme::selected_bg, Modifier::Bold}});
    // The current tab's text colour is black, not a theme slot: read it on its own.
    EXPECT_EQ(frame.cell(26, 2).foreground, term::colors::black);
    EXPECT_EQ(frame.cell(26, 2).background, theme.track2);

    h.press({key(term::KeyCode::Enter)});
    frame = h.draw(kWidth, kHeight);
    expect_looks(frame, theme,
                 {{0, 4, "╭ Arpeggiator - Track 2 ─", &Theme::track2, &Theme::bg, Modifier::Bold},
                  {1, 11, ">>Offsets:  ", &Theme::dim},
                  {13, 11, "+0", &Theme::track2},
                  {16, 11, "+7", &Theme::track2, &Theme::bg, Modifier::Bold}});

    // Another line selected: its value bold, the offsets plain.
    h.press({key(term::KeyCode::Esc), key(term::KeyCode::Up)});
    frame = h.draw(kWidth, kHeight);
    expect_looks(frame, theme,
                 {{1, 10, "> Latch:    ", &Theme::dim},
                  {13, 10, "On", &Theme::fg, &Theme::bg, Modifier::Bold},
                  {16, 11, "+7", &Theme::fg}});
    h.app.row_nav = false;
    frame = h.draw(kWidth, kHeight);
    expect_looks(frame, theme,
                 {{0, 4, "╭ Arpeggiator - Track 2 ─", &Theme::dim},
                  {1, 10, "  Latch:    ", &Theme::dim},
                  {13, 10, "On", &Theme::fg}});
  }
}

TEST(SeqView, LabelCellsSitOnTheTitlesAndLinesTheyName) {
  auto h = seq_harness(false);
  const term::Rect body{0, 1, kWidth, kHeight - 3};
  EXPECT_EQ(h.app.seq_label_cells(body),
            (std::vector<LabelCell>{{1, 1}, {25, 1}, {50, 1}, {74, 1}, {1, 5}, {1, 25}}));
  auto frame = h.draw(kWidth, kHeight);
  for (std::uint16_t x : {1, 25, 50, 74}) EXPECT_EQ(cells_text(frame, x, 1, 7), "> Track");
  EXPECT_EQ(cells_text(frame, 1, 5, 10), " > Pattern");
  EXPECT_EQ(cells_text(frame, 1, 25, 8), " Step 01");

  h.app.seq_page = SeqPage::Arp;
  const auto cells = h.app.seq_label_cells(body);
  ASSERT_EQ(cells.size(), 13u);
  frame = h.draw(kWidth, kHeight);
  const std::vector<std::string> labels{"Mode:",  "Division:", "Gate:",  "Octaves:", "Length:",
                                        "Latch:", "Offsets:",  "Scale:", "Root:"};
  for (std::size_t f = 0; f < labels.size(); ++f) {
    EXPECT_EQ(cells[4 + f], (LabelCell{2, static_cast<std::uint16_t>(5 + f)}));
    EXPECT_EQ(cells_text(frame, 3, cells[4 + f].y, static_cast<int>(labels[f].size())), labels[f]);
  }
}

// ---- Mended faults ----

TEST(SeqViewFaults, OffsetsListAtMostSixteenAndNoneForLengthZero) {
  auto h = seq_harness(false);
  build_arp_scene(h);
  auto& arp = h.app.mutable_current_pattern().tracks[1].arp;
  arp.length = 40;  // a file with the arpeggiator off may hold this
  arp.offsets.fill(-12);
  std::string sixteen = "> Offsets:  -12";
  for (int i = 1; i < 16; ++i) sixteen += " -12";
  auto frame = h.draw(kWidth, kHeight);
  EXPECT_EQ(cells_text(frame, 1, 11, static_cast<int>(sixteen.size()) + 1), sixteen + " ");
  arp.length = 0;
  frame = h.draw(kWidth, kHeight);
  EXPECT_EQ(cells_text(frame, 1, 11, 14), "> Offsets:    ");
}

TEST(SeqViewFaults, GridAndSlotScanStopAtTheEndOfTheStepList) {
  auto h = seq_harness(false);
  h.app.mutable_current_pattern() = Pattern::default_pattern();
  auto& track = h.app.mutable_current_pattern().tracks[0];
  track.steps.resize(8);  // shorter than the length
  h.app.patterns.push_back(std::make_shared<Pattern>(*h.app.patterns[0]));
  h.app.patterns[1]->tracks[1] = pattern::Track{};
  h.app.patterns[1]->tracks[1].steps.clear();
  auto frame = h.draw(kWidth, kHeight);
  EXPECT_EQ(cells_text(frame, 36, 6, 5), "--   ");
  EXPECT_EQ(cells_text(frame, 41, 6, 5), "     ") << "no cell past the step list";
  EXPECT_EQ(cells_text(frame, 0, 4, 8), "[··] ·· ");
}

TEST(SeqViewFaults, ThreeDigitSlotsGetFiveColumnsAndTheCurrentSlotStaysInSight) {
  struct Case {
    std::uint8_t current;
    std::uint16_t strip_width;
    std::string strip;
  };
  const std::vector<Case> cases{
      {127, 40, " 121  122  123  124  125  126  127 [128]"},
      {99, 40, " 96  97  98  99 [100] 101  102  103     "},
      {0, 40, "[01] 02  03  04  05  06  07  08  09  10 "},
      {127, 3, "[12"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.strip);
    auto h = seq_harness(false);
    h.app.patterns.resize(128);
    for (auto& slot : h.app.patterns) slot = std::make_shared<Pattern>(starter_pattern());
    h.app.current_pattern = c.current;
    auto frame = h.draw(c.strip_width + 3, kHeight);
    EXPECT_EQ(cells_text(frame, 0, 4, c.strip_width), c.strip);
  }
}

}  // namespace
}  // namespace quorvelan::ui::app
