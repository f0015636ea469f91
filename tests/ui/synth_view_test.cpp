// The SYNTH view drawn on the test back end at 100x30, read cell by cell: the algorithm block,
// each page, the page strip, both themes, and the jump-label cells taken from the same layout.
// At this size the body is rows 1-27; the page area starts at row 6, the strip at column 97.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "dx7/convert.hpp"
#include "dx7/factory.hpp"
#include "term/width.hpp"
#include "ui/harness.hpp"
#include "ui/view_cells.hpp"

namespace quorvelan::ui::app {
namespace {

using term::Color;
using term::Modifier;
using term::TestBackend;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
const term::Rect kBody{0, 1, 100, 27};

Harness synth_view(SynthPage page) {
  auto h = Harness::make();
  h.app.view = View::Synth;
  h.app.synth_page = page;
  h.app.column = 1;
  h.app.row_nav = true;
  return h;
}

std::vector<std::string> rows(const TestBackend& frame, int first, int last) {
  std::vector<std::string> out;
  for (int y = first; y <= last; ++y) out.push_back(frame.row(y));
  return out;
}

std::string repeat(const char* symbol, std::size_t count) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) out += symbol;
  return out;
}
// Rows of the FLT and AMP pages' box (columns 0-96), then the strip (its border and two cells).
std::string box_top(const std::string& title, const char* strip = "  ") {
  return "╭" + title + repeat("─", 95 - term::display_width(title)) + "╮│" + strip;
}
std::string box_line(const std::string& text, const char* strip = "  ") {
  return "│" + term::pad_right(text, 95) + "││" + strip;
}

TEST(SynthView, OpsPageOfAConvertedDx7Voice) {
  auto h = synth_view(SynthPage::Ops);
  // DX7 algorithm 7, operator 6 with feedback.
  h.app.synth_params[0] = dx7::convert::convert_voice(dx7::factory::ROM1A.voices()[1]);
  h.app.current_op = 5;
  h.app.op_row = 2;
  const auto& theme = h.app.theme;
  auto frame = h.draw(100, 30);

  const std::vector<std::string> expected{
      "╭ Track 1 - Algorithm 15 "
      "───────────────────────────────────────────────────────────────────────╮│  ",
      "│  DX7 #7:  6fb>5 (4+5)>3  2>1  2C                                                          "
      "    ││OP",
      "│  X||-------------------|Y  Mix:0%                                                         "
      "    ││ ·",
      "│                                                                                           "
      "    ││ ·",
      "╰───────────────────────────────────────────────────────────────────────────────────────────"
      "────╯│ ▼",
      "╭ Op 1 ────────╮╭ Op 2 ────────╮╭ Op 3 ─────────╮╭ Op 4 ────────╮╭ Op 5 ────────╮╭ > Op 6 "
      "──────╮│  ",
      "│ Rat 1.00     ││ Rat 1.00     ││ Rat 1.00      ││ Rat 3.00     ││ Rat 15.00    ││ Rat 1.00 "
      "    ││  ",
      "│ Lvl 77%      ││ Lvl 19%      ││ Lvl 27%       ││ Lvl 10%      ││ Lvl 4%       ││ Lvl 8%   "
      "    ││  ",
      "│ FB  0%       ││ FB  0%       ││ FB  0%        ││ FB  0%       ││ FB  0%       ││>FB  29%  "
      "    ││  ",
      "│              ││              ││               ││              ││              ││          "
      "    ││  ",
      "│Envelope      ││Envelope      ││Envelope       ││Envelope      ││Envelope      ││Envelope  "
      "    ││  ",
      "│ Atk 1ms      ││ Atk 1ms      ││ Atk 1ms       ││ Atk 1ms      ││ Atk 1ms      ││ Atk 1ms  "
      "    ││  ",
      "│ Dec 2474ms   ││ Dec 1302ms   ││ Dec 685ms     ││ Dec 324ms    ││ Dec 65ms     ││ Dec 65ms "
      "    ││  ",
      "│ End 0%       ││ End 0%       ││ End 0%        ││ End 0%       ││ End 0%       ││ End 0%   "
      "    ││  ",
      "│ Rel 553ms    ││ Rel 324ms    ││ Rel 446ms     ││ Rel 190ms    ││ Rel 65ms     ││ Rel 65ms "
      "    ││  ",
      "│              ││              ││               ││              ││              ││          "
      "    ││  ",
  };
  EXPECT_EQ(rows(frame, 1, 16), expected);
  EXPECT_EQ(frame.row(27),
            "╰──────────────╯╰──────────────╯╰───────────────╯╰──────────────╯╰──────────────╯╰────"
            "──────────╯│  ");

  // The block is not focused: dim border and title. Diagram in accent, mix line in track2.
  EXPECT_EQ(frame.cell(0, 1).foreground, theme.dim);
  EXPECT_EQ(frame.cell(2, 1).foreground, theme.dim);
  EXPECT_EQ(frame.cell(4, 2).foreground, theme.accent);
  EXPECT_EQ(frame.cell(3, 3).foreground, theme.track2);
  // The selected operator's box in the track's colour, its values in fg, labels dim.
  EXPECT_EQ(frame.cell(81, 6).foreground, theme.track1);
  EXPECT_EQ(frame.cell(83, 6).foreground, theme.track1);
  EXPECT_FALSE(is_bold(frame.cell(81, 6)));
  EXPECT_EQ(frame.cell(82, 9).foreground, theme.dim);
  EXPECT_EQ(frame.cell(87, 9).foreground, theme.fg);
  // Other boxes of a focused page in beat_step, values too; the envelope heading dim, underlined.
  EXPECT_EQ(frame.cell(0, 6).foreground, theme.beat_step);
  EXPECT_EQ(frame.cell(6, 7).foreground, theme.beat_step);
  EXPECT_EQ(frame.cell(1, 11).foreground, theme.dim);
  EXPECT_TRUE(term::contains(frame.cell(1, 11).modifiers, Modifier::Underlined));
  // The strip: dim border, the current page and the arrow bold in selected_fg on selected_bg
  // (selected_fg alone is the background colour), the other pages dim.
  EXPECT_EQ(frame.cell(97, 2).foreground, theme.dim);
  for (auto [x, y] : {std::pair{98, 2}, {99, 2}, {99, 5}}) {
    EXPECT_EQ(frame.cell(x, y).foreground, theme.selected_fg);
    EXPECT_EQ(frame.cell(x, y).background, theme.selected_bg);
    EXPECT_TRUE(is_bold(frame.cell(x, y)));
  }
  EXPECT_EQ(frame.cell(99, 3).foreground, theme.dim);
  EXPECT_EQ(frame.cell(99, 3).background, theme.bg);
  EXPECT_EQ(frame.cell(99, 1).background, theme.bg);  // no arrow above the first page

  h.app.editing = true;
  frame = h.draw(100, 30);
  EXPECT_EQ(cells_text(frame, 81, 6, 10), "╭ >>Op 6 ─");
  EXPECT_TRUE(is_bold(frame.cell(81, 6)));
  EXPECT_EQ(frame.cell(87, 9).foreground, theme.track1);

  // Focus on the block instead: its border takes the track's colour, bold with " > ".
  h.app.editing = false;
  h.app.column = 0;
  frame = h.draw(100, 30);
  EXPECT_EQ(cells_text(frame, 0, 1, 5), "╭ > T");
  EXPECT_EQ(frame.cell(0, 1).foreground, theme.track1);
  EXPECT_TRUE(is_bold(frame.cell(4, 1)));
  EXPECT_FALSE(is_bold(frame.cell(0, 1)));  // the title is bold, the border is not
  EXPECT_EQ(cells_text(frame, 81, 6, 8), "╭ Op 6 ─");
  EXPECT_EQ(frame.cell(81, 6).foreground, theme.dim);
  h.app.row_nav = false;
  frame = h.draw(100, 30);
  EXPECT_EQ(cells_text(frame, 0, 1, 5), "╭ * T");
  EXPECT_FALSE(is_bold(frame.cell(4, 1)));
}

TEST(SynthView, ExtraAlgorithmDimsTheOperatorsItDoesNotRunInBothThemes) {
  for (bool light : {false, true}) {
    auto h = synth_view(SynthPage::Ops);
    if (light) h.app.theme.toggle();
    const auto& theme = h.app.theme;
    h.app.current_track = 3;
    h.app.synth_params[3].algorithm = 0;  // four operators
    h.app.synth_params[3].mix = 0.5f;
    h.app.current_op = 4;  // left beyond the count by an algorithm change: nothing selected
    auto frame = h.draw(100, 30);
    EXPECT_EQ(cells_text(frame, 0, 1, 25), "╭ Track 4 - Algorithm 1 ─");
    EXPECT_EQ(cells_text(frame, 1, 2, 47), "  [4]>[3]>[1] [2]>[1]  1>X 3>Y           (4-op)");
    EXPECT_EQ(cells_text(frame, 1, 3, 35), "  X|----------|---------|Y  Mix:50%");
    for (int x : {1, 17, 33, 50, 66, 82}) EXPECT_EQ(frame.cell(x + 1, 6).symbol, "O");
    EXPECT_EQ(frame.cell(55, 7).foreground, theme.beat_step);  // Op 4
    EXPECT_EQ(frame.cell(71, 7).foreground, theme.dim);        // Op 5
    EXPECT_EQ(frame.cell(87, 7).foreground, theme.dim);        // Op 6
    EXPECT_EQ(frame.cell(65, 6).foreground, theme.beat_step);
    EXPECT_EQ(frame.cell(0, 0).background, light ? Color::hex(0xDCE0E8) : Color::hex(0x1E1E2E));
    EXPECT_EQ(frame.cell(3, 2).foreground, light ? Color::hex(0x1E66F5) : Color::hex(0x89B4FA));
  }
}

TEST(SynthView, AlgorithmBlockMixBarAndUnknownAlgorithms) {
  struct Case {
    std::uint8_t algorithm;
    float mix;
    const char* title;
    const char* diagram;
    const char* mix_line;
  };
  for (const auto& c : std::vector<Case>{
           {7, 0.5f, "Algorithm 8 ", "  [1][2][3][4][5][6] all carriers         (6-op)",
            "  X|----------|---------|Y  Mix:50%"},
           {39, 0.0f, "Algorithm 40 ", "  DX7 #32: 1 2 3 4 5 6fb  all  6C",
            "  X||-------------------|Y  Mix:0%"},
           {13, 1.0f, "Algorithm 14 ", "  DX7 #6:  6>5  4>3  2>1  5-6fb 3C",
            "  X|--------------------|Y  Mix:100%"},
           {8, 1.2f, "Algorithm 9 ", "  DX7 #1:  6fb>5>4>3  2>1      2C",
            "  X|--------------------|Y  Mix:120%"},
           {8, -0.5f, "Algorithm 9 ", "  DX7 #1:  6fb>5>4>3  2>1      2C",
            "  X||-------------------|Y  Mix:-50%"},
           {8, kNaN, "Algorithm 9 ", "  DX7 #1:  6fb>5>4>3  2>1      2C",
            "  X||-------------------|Y  Mix:nan%"},
           {40, 0.25f, "Algorithm 41 ", "  Unknown algorithm",
            "  X|-----|--------------|Y  Mix:25%"},
           {255, 0.25f, "Algorithm 256 ", "  Unknown algorithm",
            "  X|-----|--------------|Y  Mix:25%"}}) {
    auto h = synth_view(SynthPage::Ops);
    h.app.synth_params[0].algorithm = c.algorithm;
    h.app.synth_params[0].mix = c.mix;
    const auto frame = h.draw(100, 30);
    const std::string title = c.title;
    EXPECT_EQ(cells_text(frame, 12, 1, static_cast<int>(title.size())), title);
    EXPECT_EQ(cells_text(frame, 1, 2, 48), term::pad_right(c.diagram, 48));
    EXPECT_EQ(cells_text(frame, 1, 3, 40), term::pad_right(c.mix_line, 40));
  }
}

TEST(SynthView, FltPageShowsTheFilterAndTheFirstLfoMovingIt) {
  auto h = synth_view(SynthPage::Flt);
  auto& patch = h.app.synth_params[0];
  patch.filter_type = 2;
  patch.filter_cutoff = 0.04f;
  patch.filter_resonance = 0.35f;
  patch.filter_env_depth = -0.25f;
  h.app.page_row = 1;
  h.app.pulse = 0.5f;
  // LFO 1 moves another track's cutoff; LFOs 2 and 3 both move this one: LFO 2 is shown.
  using lfo::ModTargetKind;
  h.app.lfo_modulation = {{{ModTargetKind::SynthParam, 1, 38, 0.2f},
                           {ModTargetKind::SynthParam, 0, 38, 0.75f},
                           {ModTargetKind::SynthParam, 0, 38, 0.1f},
                           {ModTargetKind::EffectParam, 0, 39, 0.9f}}};
  const auto& theme = h.app.theme;
  auto frame = h.draw(100, 30);
  const std::vector<std::string> expected{
      box_top(" > Filter "),
      box_line("  Type:      BP"),
      box_line("> Cutoff:    32Hz"),
      box_line("  Resonance: 35%"),
      box_line("  Env Depth: -25%"),
      box_line(""),
      box_line("◑ Freq: |───────────────│    |"),
      box_line("  Res:  |=======             |"),
      box_line(""),
  };
  EXPECT_EQ(rows(frame, 6, 14), expected);
  EXPECT_EQ(cells_text(frame, 97, 1, 3), "│ ▲");
  EXPECT_EQ(cells_text(frame, 97, 3, 3), "│FL");

  EXPECT_EQ(frame.cell(0, 6).foreground, theme.filter_accent);
  EXPECT_TRUE(is_bold(frame.cell(2, 6)));
  EXPECT_EQ(frame.cell(1, 8).foreground, theme.dim);  // label and marker
  EXPECT_EQ(frame.cell(14, 8).foreground, theme.fg);  // focused row's value, bold
  EXPECT_TRUE(is_bold(frame.cell(14, 8)));
  EXPECT_EQ(frame.cell(14, 7).foreground, theme.fg);  // another row's value, plain
  EXPECT_FALSE(is_bold(frame.cell(14, 7)));
  // The knob halfway from dim (6C7086) to fg (CDD6F4); the mark in fg, bold; the run in fg.
  EXPECT_EQ(frame.cell(1, 12).foreground, Color::rgb(156, 163, 189));
  EXPECT_EQ(frame.cell(3, 12).foreground, theme.filter_accent);
  EXPECT_EQ(frame.cell(9, 12).foreground, theme.filter_accent);
  EXPECT_EQ(frame.cell(10, 12).foreground, theme.fg);
  EXPECT_EQ(frame.cell(25, 12).foreground, theme.fg);
  EXPECT_TRUE(is_bold(frame.cell(25, 12)));
  EXPECT_EQ(frame.cell(8, 12).foreground, theme.filter_accent);
  EXPECT_EQ(frame.cell(1, 13).foreground, theme.fg);
  EXPECT_EQ(frame.cell(9, 13).foreground, theme.filter_accent);

  h.app.editing = true;
  frame = h.draw(100, 30);
  EXPECT_EQ(cells_text(frame, 1, 8, 4), ">>Cu");
  EXPECT_EQ(frame.cell(14, 8).foreground, theme.filter_accent);
  EXPECT_TRUE(is_bold(frame.cell(14, 8)));

  // Unfocused: dim box with a blank marker, no row marker, values in fg.
  h.app.editing = false;
  h.app.column = 0;
  frame = h.draw(100, 30);
  EXPECT_EQ(cells_text(frame, 0, 6, 9), "╭ Filter ");
  EXPECT_EQ(frame.cell(0, 6).foreground, theme.dim);
  EXPECT_EQ(cells_text(frame, 1, 8, 2), "  ");
  EXPECT_EQ(frame.cell(14, 8).foreground, theme.fg);
  EXPECT_FALSE(is_bold(frame.cell(14, 8)));
}

TEST(SynthView, FltValuesAreFormattedByRange) {
  struct Case {
    std::uint8_t type;
    float cutoff;
    float depth;
    const char* type_text;
    const char* cutoff_text;
    const char* depth_text;
  };
  // The cutoff as heard: the stored position squared, times 20 kHz.
  for (const auto& c : std::vector<Case>{{0, 0.1f, 0.1f, "LP1 (6dB)", "200Hz", "+10%"},
                                         {1, 0.25f, 0.0f, "LP2 (12dB)", "1.2kHz", "+0%"},
                                         {3, 1.0f, -1.0f, "HP1 (6dB)", "20.0kHz", "-100%"},
                                         {4, 0.0f, 1.0f, "HP2 (12dB)", "0Hz", "+100%"},
                                         {5, 0.5f, 0.0f, "BS (Notch)", "5.0kHz", "+0%"},
                                         {6, 0.5f, 0.0f, "OFF", "5.0kHz", "+0%"},
                                         {255, 0.5f, 0.0f, "OFF", "5.0kHz", "+0%"}}) {
    auto h = synth_view(SynthPage::Flt);
    auto& patch = h.app.synth_params[0];
    patch.filter_type = c.type;
    patch.filter_cutoff = c.cutoff;
    patch.filter_env_depth = c.depth;
    const auto frame = h.draw(100, 30);
    EXPECT_EQ(cells_text(frame, 14, 7, 11), term::pad_right(c.type_text, 11));
    EXPECT_EQ(cells_text(frame, 14, 8, 8), term::pad_right(c.cutoff_text, 8));
    EXPECT_EQ(cells_text(frame, 14, 10, 6), term::pad_right(c.depth_text, 6));
  }
}

TEST(SynthView, AmpPageDrawsTheEnvelopeGraphTimesDriveAndPan) {
  auto h = synth_view(SynthPage::Amp);
  auto& patch = h.app.synth_params[0];
  patch.amp_attack = 0.01f;
  patch.amp_decay = 0.3f;
  patch.amp_sustain = 0.7f;
  patch.amp_release = 0.3f;
  patch.drive = 0.25f;
  h.app.mixer[0].pan = -0.5f;
  h.app.page_row = 1;
  h.app.editing = true;
  const auto& theme = h.app.theme;
  auto frame = h.draw(100, 30);
  // 1.11 s in all: attack 0 columns, decay 10, sustain 18, release 12.
  const std::vector<std::string> expected{
      box_top(" > Amp Envelope & Output "),
      box_line("  *******"),
      box_line("  ......." + std::string(23, '*')),
      box_line("  " + std::string(30, '.') + "****"),
      box_line("  " + std::string(34, '.') + "***"),
      box_line("  " + std::string(37, '.') + "***"),
      box_line("  " + std::string(40, '.')),
      box_line(""),
      box_line("  Atk: 10ms  >>Dec: 300ms    Sus: 70%    Rel: 300ms"),
      box_line(""),
      box_line("  Drive: 25%  Pan: L25"),
      box_line(""),
  };
  EXPECT_EQ(rows(frame, 6, 17), expected);
  EXPECT_EQ(cells_text(frame, 97, 4, 3), "│AM");
  EXPECT_EQ(cells_text(frame, 97, 5, 3), "│  ");

  EXPECT_EQ(frame.cell(0, 6).foreground, theme.amp_accent);
  EXPECT_EQ(frame.cell(3, 7).foreground, theme.amp_accent);
  EXPECT_EQ(frame.cell(3, 14).foreground, theme.dim);  // Atk label
  EXPECT_EQ(frame.cell(8, 14).foreground, theme.fg);   // its value
  EXPECT_FALSE(is_bold(frame.cell(8, 14)));
  EXPECT_EQ(frame.cell(21, 14).foreground, theme.amp_accent);  // the value being edited
  EXPECT_TRUE(is_bold(frame.cell(21, 14)));
  EXPECT_EQ(frame.cell(15, 16).foreground, theme.dim);  // "Pan: "
  EXPECT_EQ(frame.cell(20, 16).foreground, theme.fg);   // L25

  h.app.editing = false;
  h.app.page_row = 4;
  frame = h.draw(100, 30);
  EXPECT_EQ(cells_text(frame, 1, 16, 9), "> Drive: ");
  EXPECT_EQ(frame.cell(10, 16).foreground, theme.fg);
  EXPECT_TRUE(is_bold(frame.cell(10, 16)));

  // A decay of 0.5 s spans 15 columns; at the eleventh the level, 0.8, lies exactly on the
  // boundary of the second row and belongs to it.
  patch.amp_decay = 0.5f;
  frame = h.draw(100, 30);
  EXPECT_EQ(rows(frame, 7, 8), (std::vector{box_line("  " + std::string(10, '*')),
                                            box_line("  " + std::string(10, '.') +
                                                     std::string(22, '*'))}));
}

// Times and levels that no key can set (a file written by hand, a NaN) must not turn into wild
// column and row numbers: the graph is left out when the total time is not a positive finite
// number, and every other float-to-cell conversion saturates.
TEST(SynthView, NonFiniteValuesDrawWithoutWildIndexes) {
  struct Case {
    float attack;
    float decay;
    float sustain;
    float release;
    bool graph;
  };
  for (const auto& c : std::vector<Case>{{kNaN, 0.3f, 0.7f, 0.3f, false},
                                         {kInf, 0.3f, 0.7f, 0.3f, false},
                                         {0.1f, -kInf, 0.7f, 0.3f, false},
                                         {-1.0f, 0.0f, 0.5f, 0.0f, false},
                                         {-0.5f, 0.0f, 0.5f, 0.0f, false},
                                         {3e38f, 3e38f, 0.5f, 0.0f, false},
                                         {0.1f, 0.3f, kNaN, 0.3f, true},
                                         {0.1f, 0.3f, -50.0f, 0.3f, true},
                                         {1e-30f, 1e-30f, 1e30f, -0.49f, true}}) {
    auto h = synth_view(SynthPage::Amp);
    auto& patch = h.app.synth_params[0];
    patch.amp_attack = c.attack;
    patch.amp_decay = c.decay;
    patch.amp_sustain = c.sustain;
    patch.amp_release = c.release;
    patch.drive = kNaN;
    h.app.mixer[0].pan = kInf;
    auto frame = h.draw(100, 30);
    std::string graph;
    for (int y = 7; y <= 12; ++y) graph += cells_text(frame, 1, y, 44);
    EXPECT_EQ(graph.find_first_not_of(' ') != std::string::npos, c.graph) << c.attack;
    if (c.graph) {
      for (int x = 3; x < 43; ++x) {  // one "*" in every column
        int stars = 0;
        for (int y = 7; y <= 12; ++y) stars += frame.cell(x, y).symbol == "*";
        EXPECT_EQ(stars, 1) << c.attack << " column " << x;
      }
    }
    EXPECT_EQ(cells_text(frame, 1, 14, 7), "> Atk: ");  // the lines below stay in place
  }

  auto h = synth_view(SynthPage::Flt);
  h.app.synth_params[0].filter_cutoff = kNaN;
  h.app.synth_params[0].filter_resonance = kInf;
  h.app.lfo_modulation[0] = {lfo::ModTargetKind::SynthParam, 0, 39, -kInf};
  h.app.pulse = kNaN;
  const auto frame = h.draw(100, 30);
  EXPECT_EQ(cells_text(frame, 1, 12, 30), "  Freq: |                    |");
  EXPECT_EQ(cells_text(frame, 1, 13, 30), "○ Res:  |│───────────────────|");
}

TEST(SynthView, LabelCellsComeFromTheDrawnLayout) {
  auto h = synth_view(SynthPage::Ops);
  h.app.current_op = 2;
  using Cells = std::vector<LabelCell>;
  const Cells strip{{97, 2}, {97, 3}, {97, 4}};
  auto with_strip = [&](Cells cells) {
    cells.insert(cells.end(), strip.begin(), strip.end());
    return cells;
  };
  // The third box's lines Rat to Rel, then the other boxes' first lines.
  EXPECT_EQ(h.app.synth_label_cells(kBody), with_strip({{1, 1},
                                                        {33, 7},
                                                        {33, 8},
                                                        {33, 9},
                                                        {33, 12},
                                                        {33, 13},
                                                        {33, 14},
                                                        {33, 15},
                                                        {1, 7},
                                                        {17, 7},
                                                        {50, 7},
                                                        {66, 7},
                                                        {82, 7}}));
  h.app.current_op = 9;  // out of range counts as the last operator
  EXPECT_EQ(h.app.synth_label_cells(kBody)[1], (LabelCell{82, 7}));

  h.app.synth_page = SynthPage::Flt;
  EXPECT_EQ(h.app.synth_label_cells(kBody), with_strip({{1, 1}, {2, 7}, {2, 8}, {2, 9}, {2, 10}}));

  // AMP: each envelope label on its own pair's marker, so the labels follow the value widths.
  h.app.synth_page = SynthPage::Amp;
  auto& patch = h.app.synth_params[0];
  for (float attack : {0.005f, 0.01f, 2.5f}) {
    patch.amp_attack = attack;
    const auto cells = h.app.synth_label_cells(kBody);
    ASSERT_EQ(cells.size(), 9u);
    const auto frame = h.draw(100, 30);
    const char* names[] = {"Atk", "Dec", "Sus", "Rel"};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(cells[1 + i].y, 14);
      EXPECT_EQ(cells_text(frame, cells[1 + i].x + 1, 14, 3), names[i]) << attack;
    }
    EXPECT_EQ(cells[5], (LabelCell{2, 16}));
    EXPECT_EQ(cells_text(frame, 3, 16, 5), "Drive");
    EXPECT_EQ(Cells(cells.end() - 3, cells.end()), strip);
  }
}

}  // namespace
}  // namespace quorvelan::ui::app
