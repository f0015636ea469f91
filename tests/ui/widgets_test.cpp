#include "ui/widgets.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "term/buffer.hpp"
#include "ui/app.hpp"

namespace quorvelan::ui::widgets {
namespace {

using term::Color;
using term::Modifier;
using term::Span;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
const views::Theme kTheme = views::Theme::dark();
constexpr Color kMod = Color::hex(0xFF0000);
constexpr Color kBase = Color::hex(0x00FF00);

std::string text_of(const std::vector<Span>& spans) {
  std::string text;
  for (const auto& span : spans) text += span.content;
  return text;
}

// One letter per span: b base colour, m modulation colour, B modulation colour and bold.
std::string colours_of(const std::vector<Span>& spans) {
  std::string out;
  for (const auto& span : spans) {
    const bool mod = span.style.foreground == kMod;
    out += mod ? (term::contains(span.style.added, Modifier::Bold) ? 'B' : 'm') : 'b';
  }
  return out;
}

bool bold(const Span& span) { return term::contains(span.style.added, Modifier::Bold); }

TEST(ParamBar, FillsTheValuesShareOfTheWidthAndNeverMore) {
  struct Case {
    std::size_t width;
    float value;
    std::size_t filled;
  };
  for (auto [width, value, filled] : std::vector<Case>{{12, 0.5f, 6},
                                                       {12, 0.0f, 0},
                                                       {12, 1.0f, 12},
                                                       {12, 1.5f, 12},
                                                       {12, -0.3f, 0},
                                                       {12, kNaN, 0},
                                                       {12, kInf, 12},
                                                       {12, -kInf, 0},
                                                       {20, 0.999f, 19},
                                                       {0, 0.5f, 0}}) {
    EXPECT_EQ(param_bar(width, value), std::string(filled, '=') + std::string(width - filled, ' '))
        << width << " " << value;
  }
}

TEST(ParamLineSel, MarkerColoursAndBoldFollowSelectionAndEditing) {
  struct Case {
    bool selected;
    bool editing;
    const char* first;
    Color label;
    Color value;
    bool value_bold;
  };
  for (const auto& c :
       std::vector<Case>{{false, false, "  Rate     ", kTheme.dim, kTheme.fg, false},
                         {true, false, "> Rate     ", kTheme.fg, kTheme.fg, true},
                         {true, true, ">>Rate     ", kTheme.fg, kTheme.selected_bg, true},
                         {false, true, ">>Rate     ", kTheme.fg, kTheme.selected_bg, true}}) {
    const auto line = param_line_sel("Rate", "2.0Hz", c.selected, c.editing, kTheme, 0.5f);
    ASSERT_EQ(line.spans.size(), 3u);
    EXPECT_EQ(line.spans[0].content, c.first);
    EXPECT_EQ(line.spans[1].content, "2.0Hz   ");
    EXPECT_EQ(line.spans[2].content, "|======      |");
    EXPECT_EQ(line.spans[0].style.foreground, c.label);
    EXPECT_EQ(line.spans[2].style.foreground, c.label);
    EXPECT_EQ(line.spans[1].style.foreground, c.value);
    EXPECT_EQ(bold(line.spans[1]), c.value_bold);
  }
  // A long label is not cut; it pushes the rest along. Width counts columns, not bytes.
  EXPECT_EQ(param_line_sel("Resonance", "x", false, false, kTheme, 0).spans[0].content,
            "  Resonance ");
  EXPECT_EQ(param_line_sel("Tïme", "°", false, false, kTheme, 0).spans[1].content, "°       ");
}

TEST(ParamLineSelMod, UnmodulatedRowKeepsFourSpansBeforeAPlainBar) {
  const auto line =
      param_line_sel_mod("Mix", "50%", false, true, false, kTheme, kMod, 0.5f, 0.9f, 0.7f);
  ASSERT_EQ(line.spans.size(), 5u);
  EXPECT_EQ(line.spans[0].content, ">");
  EXPECT_EQ(line.spans[1].content, " ");
  EXPECT_EQ(line.spans[1].style.foreground, kMod);
  EXPECT_TRUE(bold(line.spans[1]));
  EXPECT_EQ(line.spans[2].content, "Mix      ");
  EXPECT_EQ(line.spans[3].content, "50%     ");
  EXPECT_EQ(line.spans[4].content, "|======      |");
  EXPECT_EQ(line.spans[4].style.foreground, kTheme.fg);
}

TEST(ParamLineSelMod, KnobGlyphAndTintFollowThePulse) {
  // An unselected label is dim (6C7086 = 108, 112, 134); the knob runs from dim to the
  // modulation colour with the pulse, the label two fifths of that way.
  struct Case {
    float pulse;
    const char* knob;
    Color knob_colour;
    Color label_colour;
  };
  for (const auto& c :
       std::vector<Case>{{0.0f, "○", kTheme.dim, kTheme.dim},
                         {0.3f, "◔", Color::rgb(152, 78, 93), Color::rgb(125, 98, 117)},
                         {0.5f, "◑", Color::rgb(181, 56, 67), Color::rgb(137, 89, 107)},
                         {0.7f, "◕", Color::rgb(210, 33, 40), Color::rgb(149, 80, 96)},
                         {0.81f, "●", Color::rgb(227, 21, 25), Color::rgb(155, 75, 90)},
                         {1.0f, "●", kMod, Color::rgb(166, 67, 80)},
                         {kNaN, "○", Color::rgb(0, 0, 0), Color::rgb(0, 0, 0)},
                         {-2.0f, "○", Color::rgb(0, 255, 255), Color::rgb(0, 201, 241)},
                         {50.0f, "●", kMod, kMod}}) {
    const auto line = param_line_sel_mod("Cutoff", "1.0kHz", true, false, false, kTheme, kMod, 0.5f,
                                         0.75f, c.pulse);
    ASSERT_EQ(line.spans.size(), 4u + 14u);
    EXPECT_EQ(line.spans[1].content, c.knob) << c.pulse;
    EXPECT_EQ(line.spans[1].style.foreground, c.knob_colour) << c.pulse;
    EXPECT_TRUE(bold(line.spans[1]));
    EXPECT_EQ(line.spans[0].style.foreground, c.label_colour) << c.pulse;
    EXPECT_EQ(line.spans[2].style.foreground, c.label_colour) << c.pulse;
    EXPECT_EQ(line.spans[2].content, "Cutoff   ");
    EXPECT_EQ(text_of({line.spans.begin() + 4, line.spans.end()}), "|======───│  |");
  }
  // A named modulation colour cannot be blended: the knob takes whichever end is nearer.
  for (auto [pulse, expected] : {std::pair{0.4f, kTheme.dim}, {0.6f, term::colors::cyan}}) {
    const auto line = param_line_sel_mod("Cutoff", "1", true, true, false, kTheme,
                                         term::colors::cyan, 0.5f, 0.75f, pulse);
    EXPECT_EQ(line.spans[1].style.foreground, expected);
    EXPECT_EQ(line.spans[0].style.foreground, kTheme.fg);  // the label keeps its own colour
  }
}

TEST(ParamBarModSpans, FillRunsToTheMarkFromEitherSide) {
  struct Case {
    float base;
    float modulated;
    const char* text;
    const char* colours;
  };
  for (const auto& c : std::vector<Case>{{0.5f, 0.75f, "|======───│  |", "bbbbbbbmmmBbbb"},
                                         {0.75f, 0.25f, "|===│──────  |", "bbbbBmmmmmmbbb"},
                                         {0.5f, 1.0f, "|======─────│|", "bbbbbbbmmmmmBb"},
                                         {0.0f, 0.0f, "|│           |", "bBbbbbbbbbbbbb"},
                                         {1.0f, 1.0f, "|===========│|", "bbbbbbbbbbbbBb"},
                                         {-1.0f, 2.0f, "|───────────│|", "bmmmmmmmmmmmBb"},
                                         {2.0f, -1.0f, "|│───────────|", "bBmmmmmmmmmmmb"},
                                         {kNaN, kNaN, "|│           |", "bBbbbbbbbbbbbb"},
                                         {kInf, -kInf, "|│───────────|", "bBmmmmmmmmmmmb"}}) {
    const auto spans = param_bar_mod_spans(12, kBase, kMod, c.base, c.modulated);
    EXPECT_EQ(text_of(spans), c.text) << c.base << " " << c.modulated;
    EXPECT_EQ(colours_of(spans), c.colours) << c.base << " " << c.modulated;
  }
  EXPECT_EQ(text_of(param_bar_mod_spans(1, kBase, kMod, 0.5f, 0.5f)), "|│|");
  EXPECT_EQ(text_of(param_bar_mod_spans(0, kBase, kMod, 0.5f, 0.5f)), "||");
}

TEST(PanDisplay, CentreBandThenHalfStepsToFiftyEachSide) {
  for (auto [pan, text] : std::vector<std::pair<float, const char*>>{{0.0f, "C"},
                                                                     {0.04f, "C"},
                                                                     {-0.04f, "C"},
                                                                     {-0.5f, "L25"},
                                                                     {1.0f, "R50"},
                                                                     {-1.0f, "L50"},
                                                                     {0.3f, "R15"},
                                                                     {kNaN, "C"}}) {
    EXPECT_EQ(pan_display(pan), text) << pan;
  }
}

}  // namespace
}  // namespace quorvelan::ui::widgets

namespace quorvelan::ui::app {
namespace {

using term::Color;

constexpr Color kRed = Color::hex(0xEB4D4B);
constexpr Color kOrange = Color::hex(0xF39C12);
constexpr Color kGreen = Color::hex(0x6AB04C);
constexpr Color kUnlit = Color::hex(0x313244);

// The meter drawn at (1, 1) of a buffer with a one-cell margin on every side: one string of
// symbols per row, and one colour letter per cell (r, o, g, u unlit, . untouched).
struct Meter {
  std::vector<std::string> glyphs;
  std::vector<std::string> colours;
};
Meter draw_meter(std::uint16_t width, std::uint16_t height, float left, float right) {
  term::Buffer buffer(term::Rect{0, 0, static_cast<std::uint16_t>(width + 2),
                                 static_cast<std::uint16_t>(height + 2)});
  App::render_vertical_meter(buffer, term::Rect{1, 1, width, height}, left, right);
  Meter meter;
  for (int y = 0; y < height + 2; ++y) {
    std::string glyphs;
    std::string colours;
    for (int x = 0; x < width + 2; ++x) {
      const auto* cell = buffer.cell(x, y);
      glyphs += cell->symbol;
      const Color fg = cell->foreground;
      colours += fg == kRed      ? 'r'
                 : fg == kOrange ? 'o'
                 : fg == kGreen  ? 'g'
                 : fg == kUnlit  ? 'u'
                                 : '.';
    }
    meter.glyphs.push_back(glyphs);
    meter.colours.push_back(colours);
  }
  return meter;
}

TEST(VerticalMeter, LightsFromTheBottomWithItsColourBands) {
  struct Case {
    std::uint16_t width;
    std::uint16_t height;
    float left;
    float right;
    std::vector<std::string> glyphs;
    std::vector<std::string> colours;
  };
  const std::vector<Case> cases{
      // Half level over 4 rows: p 0.25 and 0 full, p 0.5 lit but empty, p 0.75 unlit.
      {3,
       4,
       0.5f,
       0.5f,
       {"     ", "     ", "     ", " █ █ ", " █ █ ", "     "},
       {".....", ".u.u.", ".g.g.", ".g.g.", ".g.g.", "....."}},
      // Full level: every row full, the bands by threshold; nothing fills the gap column. A
      // level of 0 lights the bottom row without a glyph.
      {5,
       10,
       1.0f,
       0.0f,
       {"       ", " ██    ", " ██    ", " ██    ", " ██    ", " ██    ", " ██    ", " ██    ",
        " ██    ", " ██    ", " ██    ", "       "},
       {".......", ".rr.uu.", ".oo.uu.", ".oo.uu.", ".gg.uu.", ".gg.uu.", ".gg.uu.", ".gg.uu.",
        ".gg.uu.", ".gg.uu.", ".gg.gg.", "......."}},
      // Part of a row: the glyph rounds the fill to eighths; beyond 1 is full, below 0 empty.
      {3,
       2,
       0.3f,
       7.0f,
       {"     ", "   █ ", " ▅ █ ", "     "},
       {".....", ".u.g.", ".g.g.", "....."}},
      // Halves round away from zero: 0.5 of a seventh up to "▂", 2.5 up to "▄".
      {3, 1, 1.0f / 14.0f, 5.0f / 14.0f, {"     ", " ▂ ▄ ", "     "}, {".....", ".g.g.", "....."}},
      {3,
       2,
       -1.0f,
       std::numeric_limits<float>::quiet_NaN(),
       {"     ", "     ", "     ", "     "},
       {".....", ".u.u.", ".u.u.", "....."}},
      // Two columns wide: the right column would fall just outside; it is not drawn there.
      {2, 2, 1.0f, 1.0f, {"    ", " █  ", " █  ", "    "}, {"....", ".g..", ".g..", "...."}},
      // Too narrow or flat: nothing at all.
      {1, 3, 1.0f, 1.0f, {"   ", "   ", "   ", "   ", "   "}, {"...", "...", "...", "...", "..."}},
      {4, 0, 1.0f, 1.0f, {"      ", "      "}, {"......", "......"}},
  };
  for (const auto& c : cases) {
    const auto meter = draw_meter(c.width, c.height, c.left, c.right);
    EXPECT_EQ(meter.glyphs, c.glyphs) << c.width << "x" << c.height << " " << c.left;
    EXPECT_EQ(meter.colours, c.colours) << c.width << "x" << c.height << " " << c.left;
  }
}

}  // namespace
}  // namespace quorvelan::ui::app
