// The SYNTH view: the algorithm block with its one-line diagram and carrier mix, one of the OPS,
// FLT and AMP pages of the current track's patch, and the page strip. The jump labels of the view
// come from the same layout.

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "numeric.hpp"
#include "synth/algorithm.hpp"
#include "synth/filter.hpp"
#include "synth/params.hpp"
#include "term/block.hpp"
#include "term/layout.hpp"
#include "term/paragraph.hpp"
#include "term/width.hpp"
#include "ui/app.hpp"
#include "ui/focus.hpp"
#include "ui/widgets.hpp"

namespace quorvelan::ui::app {
namespace {

namespace ids = synth::params;
using sequencer::types::TrackSynthParams;
using term::Color;
using term::Constraint;
using term::Line;
using term::Modifier;
using term::Rect;
using term::Span;
using term::Style;

// By algorithm number. The extra algorithms show bracketed operators, ">" from modulator to
// modulated, "fb" on the feedback operator and X and Y for the two carrier outputs; the DX7 ones
// their modulation chains and the carrier count.
constexpr std::array<const char*, synth::algorithm::kAlgorithmCount> kAlgorithmDiagrams{
    "  [4]>[3]>[1] [2]>[1]  1>X 3>Y           (4-op)",
    "  [2]>[1]>X  [4]>[3]>Y                   (4-op)",
    "  [2fb]>{1,3,4}  1+4>X 3>Y               (4-op)",
    "  [4fb]>[3]>[1] [2]>[1]  1>X 3>Y         (4-op)",
    "  [2]>[1] [4]>[3] [5fb]>{1,3}            (5-op)",
    "  [2fb]>[1] [4]>[3] [5]>[1]              (5-op)",
    "  [2]>[1]>X [4]>[3]>Y [6]>[5]>X          (6-op)",
    "  [1][2][3][4][5][6] all carriers         (6-op)",
    "  DX7 #1:  6fb>5>4>3  2>1      2C",
    "  DX7 #2:  6>5>4>3  2fb>1      2C",
    "  DX7 #3:  6fb>5>4  3>2>1      2C",
    "  DX7 #4:  6>5>4  3>2>1  4-6fb 2C",
    "  DX7 #5:  6fb>5  4>3  2>1     3C",
    "  DX7 #6:  6>5  4>3  2>1  5-6fb 3C",
    "  DX7 #7:  6fb>5 (4+5)>3  2>1  2C",
    "  DX7 #8:  6>5 (4fb+5)>3  2>1  2C",
    "  DX7 #9:  6>5>4>3  2fb>1      2C",
    "  DX7 #10: 6fb>5>4  3>2>1      2C",
    "  DX7 #11: 6fb>5>4  3>2>1      2C",
    "  DX7 #12: 6fb>5  4>3  2>1     3C",
    "  DX7 #13: 6fb>5  4>3  2>1     3C",
    "  DX7 #14: 6fb>5>4>3  2>1      2C",
    "  DX7 #15: 6>5>4>3  2fb>1      2C",
    "  DX7 #16: 6fb>5 (2+3+5)>1     1C",
    "  DX7 #17: (2fb+3+5)>1  6>5     1C",
    "  DX7 #18: 6>5>4 (2+3fb+4)>1   1C",
    "  DX7 #19: 6fb>{2,3}  5>4  2>1  2C",
    "  DX7 #20: 3fb>{1,2}  6>5>4    3C",
    "  DX7 #21: 3fb>{1,2}  6>{4,5}  4C",
    "  DX7 #22: 6fb>{3,4,5}  2>1    4C",
    "  DX7 #23: 6fb>{4,5}  3>2  1   4C",
    "  DX7 #24: 6fb>{3,4,5}  2  1   5C",
    "  DX7 #25: 6fb>{4,5}  3  2  1  5C",
    "  DX7 #26: 6fb>5  3>2  4  1    4C",
    "  DX7 #27: 3fb>2  6>5  4  1    4C",
    "  DX7 #28: 5fb>4>3  2>1  6     3C",
    "  DX7 #29: 6fb>5  4>3  2  1    4C",
    "  DX7 #30: 5fb>4>3  6  2  1    4C",
    "  DX7 #31: 6fb>5  4  3  2  1   5C",
    "  DX7 #32: 1 2 3 4 5 6fb  all  6C",
};

constexpr std::array<const char*, 6> kFilterTypeNames{"LP1 (6dB)", "LP2 (12dB)", "BP",
                                                      "HP1 (6dB)", "HP2 (12dB)", "BS (Notch)"};
constexpr std::array<const char*, 3> kPageNames{"OPS", "FLT", "AMP"};

constexpr std::size_t kOperatorBoxes = sequencer::types::kOperatorCount;
constexpr std::size_t kMixBarWidth = 20;
constexpr std::size_t kModulationBarWidth = 20;
constexpr int kGraphWidth = 40;
constexpr int kGraphRows = 6;
// The sustain segment of the envelope graph stands for this long, in seconds.
constexpr float kGraphSustainTime = 0.5f;

// Rows inside the AMP box: the graph above, then the envelope line and the output line.
constexpr int kAmpEnvelopeLine = kGraphRows + 1;
constexpr int kAmpOutputLine = kGraphRows + 3;
constexpr std::uint8_t kDriveRow = 4;

// The body split the drawing and the jump labels share.
struct SynthLayout {
  Rect algorithm;               // bordered block, diagram and mix line
  Rect page;                    // the page's box or boxes
  Rect strip;                   // left border and the page names
  std::vector<Rect> operators;  // the OPS page's six boxes, operator 1 first
};

SynthLayout synth_layout(const Rect& body) {
  const auto columns = term::split_horizontal(body, {Constraint::min(0), Constraint::length(3)});
  const auto rows = term::split_vertical(columns[0], {Constraint::length(5), Constraint::min(0)});
  return SynthLayout{
      .algorithm = rows[0],
      .page = rows[1],
      .strip = columns[1],
      .operators = term::split_horizontal(
          rows[1], std::vector<Constraint>(kOperatorBoxes, Constraint::ratio(1, kOperatorBoxes))),
  };
}

// A label and its value, as one parameter of a line reads.
struct LabelledValue {
  std::string label;
  std::string value;
};

// The AMP page's envelope line, rows 0..3 of `page_row`, each label after a two-column marker.
std::array<LabelledValue, 4> envelope_pairs(const TrackSynthParams& patch) {
  return {{{"Atk: ", widgets::milliseconds_display(patch.amp_attack) + "  "},
           {"Dec: ", widgets::milliseconds_display(patch.amp_decay) + "  "},
           {"Sus: ", widgets::percent_display(patch.amp_sustain) + "  "},
           {"Rel: ", widgets::milliseconds_display(patch.amp_release)}}};
}
constexpr std::size_t kMarkerWidth = 2;

std::uint8_t operator_count(const TrackSynthParams& patch) {
  return synth::algorithm::algorithm_entry(patch.algorithm).operator_count;
}

// ---- Focus and the shared look of boxes and rows. ----

struct Focus {
  bool algorithm;  // the algorithm block takes the keys
  bool page;       // the parameter list takes the keys
};
Focus focus_of(const App& app) {
  const bool normal = app.mode == Mode::Normal;
  return {app.column == 0 && normal, app.column == 1 && normal};
}

// A bordered block with its title on the top border; returns the area inside it.
Rect draw_box(term::Buffer& buffer, const Rect& area, Style border, Line title) {
  const auto block =
      term::Block().borders(term::Borders::All).border_style(border).title(std::move(title));
  block.render(area, buffer);
  return block.inner(area);
}

// A panel titled with its focus marker, in `focused_colour` while focused and `dim` otherwise.
Rect draw_focus_box(term::Buffer& buffer, const Rect& area, bool focused, bool row_nav,
                    Color focused_colour, Color dim, std::string_view title) {
  const auto block = focus::panel_block(title, focused, row_nav, focused ? focused_colour : dim);
  block.render(area, buffer);
  return block.inner(area);
}

// The FLT and AMP pages' row look: a dim marked label, then the value.
struct RowLook {
  const App& app;
  bool page_focused;
  Color editing_colour;

  [[nodiscard]] bool on_row(std::uint8_t row) const { return page_focused && app.page_row == row; }
  [[nodiscard]] Span label(std::uint8_t row, std::string_view text) const {
    return Span(fmt::format("{}{}", focus::row_marker(on_row(row), app.editing), text),
                Style{}.fg(app.theme.dim));
  }
  [[nodiscard]] Span value(std::uint8_t row, std::string text) const {
    if (!on_row(row)) return Span(std::move(text), Style{}.fg(app.theme.fg));
    return Span(std::move(text), Style{}.fg(app.editing ? editing_colour : app.theme.fg).bold());
  }
};

// ---- The algorithm block. ----

std::string mix_line(float mix) {
  std::string bar(kMixBarWidth, '-');
  const auto p = saturating_cast<std::size_t>(clamp_finite(mix, 0.0f, 1.0f) *
                                              static_cast<float>(kMixBarWidth));
  if (p < kMixBarWidth) bar[p] = '|';
  return fmt::format("  X|{}|Y  Mix:{:.0f}%", bar, mix * 100.0f);
}

void draw_algorithm_block(const App& app, term::Buffer& buffer, const Rect& area, bool focused) {
  const TrackSynthParams& patch = app.synth_params[app.current_track];
  const Rect inner = draw_focus_box(
      buffer, area, focused, app.row_nav, app.theme.track(app.current_track), app.theme.dim,
      fmt::format("Track {} - Algorithm {}", app.current_track + 1, patch.algorithm + 1));
  const char* diagram = patch.algorithm < kAlgorithmDiagrams.size()
                            ? kAlgorithmDiagrams[patch.algorithm]
                            : "  Unknown algorithm";
  term::Paragraph({Line(diagram, Style{}.fg(app.theme.accent)),
                   Line(mix_line(patch.mix), Style{}.fg(app.theme.track2))})
      .render(inner, buffer);
}

// ---- OPS: one box per operator. ----

void draw_operator_box(const App& app, term::Buffer& buffer, const Rect& area, std::size_t op,
                       bool page_focused) {
  const TrackSynthParams& patch = app.synth_params[app.current_track];
  const views::Theme& theme = app.theme;
  const Color track_colour = theme.track(app.current_track);
  const bool playable = op < operator_count(patch);
  const bool selected = playable && op == app.current_op && page_focused && app.row_nav;

  Style box = Style{}.fg(page_focused ? theme.beat_step : theme.dim);
  Color value_colour = !playable ? theme.dim : (page_focused ? theme.beat_step : theme.dim);
  const char* marker = "";
  if (selected) {
    box = Style{}.fg(track_colour);
    if (app.editing) box = box.bold();
    value_colour = app.editing ? track_colour : theme.fg;
    marker = app.editing ? ">>" : "> ";
  }
  const Rect inner =
      draw_box(buffer, area, box, Line(fmt::format(" {}Op {} ", marker, op + 1), box));

  const Style label_style = Style{}.fg(theme.dim);
  auto row = [&](std::uint8_t index, const char* label, std::string value) {
    const char* row_marker = selected && app.op_row == index ? ">" : " ";
    return Line({Span(fmt::format("{}{}", row_marker, label), label_style),
                 Span(std::move(value), Style{}.fg(value_colour))});
  };
  term::Paragraph({
                      row(0, "Rat ", fmt::format("{:.2f}", patch.op_ratios[op])),
                      row(1, "Lvl ", widgets::percent_display(patch.op_levels[op])),
                      row(2, "FB  ", widgets::percent_display(patch.op_feedback[op])),
                      Line(""),
                      Line("Envelope", label_style.add_modifier(Modifier::Underlined)),
                      row(3, "Atk ", widgets::milliseconds_display(patch.op_attack[op])),
                      row(4, "Dec ", widgets::milliseconds_display(patch.op_decay[op])),
                      row(5, "End ", widgets::percent_display(patch.op_end_level[op])),
                      row(6, "Rel ", widgets::milliseconds_display(patch.op_release[op])),
                  })
      .render(inner, buffer);
}

// ---- FLT: the filter's values and the live modulation of cutoff and resonance. ----

// The frequency the filter is heard at, not the stored 0..1 position.
std::string cutoff_text(float cutoff) {
  const float hz = synth::filter::cutoff_frequency(cutoff);
  if (hz >= 1000.0f) return fmt::format("{:.1f}kHz", hz / 1000.0f);
  return fmt::format("{:.0f}Hz", hz);
}

Line modulation_line(const App& app, const char* label, std::uint8_t param_id, float base) {
  const views::Theme& theme = app.theme;
  const Style accent = Style{}.fg(theme.filter_accent);
  const auto live =
      widgets::live_modulation(app, lfo::ModTargetKind::SynthParam, app.current_track, param_id);
  if (!live) {
    return Line({Span(" ", Style{}.fg(theme.fg).bold()), Span(label, accent),
                 Span(widgets::framed_bar(kModulationBarWidth, base), accent)});
  }
  std::vector<Span> spans{widgets::knob_span(theme.dim, theme.fg, app.pulse), Span(label, accent)};
  for (auto& span : widgets::param_bar_mod_spans(kModulationBarWidth, theme.filter_accent, theme.fg,
                                                 base, *live)) {
    spans.push_back(std::move(span));
  }
  return Line(std::move(spans));
}

void draw_filter_page(const App& app, term::Buffer& buffer, const Rect& area, bool focused) {
  const TrackSynthParams& patch = app.synth_params[app.current_track];
  const Rect inner = draw_focus_box(buffer, area, focused, app.row_nav, app.theme.filter_accent,
                                    app.theme.dim, "Filter");
  const RowLook look{app, focused, app.theme.filter_accent};
  auto row = [&](std::uint8_t index, const char* label, std::string value) {
    return Line({look.label(index, label), look.value(index, std::move(value))});
  };
  const char* type =
      patch.filter_type < kFilterTypeNames.size() ? kFilterTypeNames[patch.filter_type] : "OFF";
  term::Paragraph(
      {
          row(0, "Type:      ", type),
          row(1, "Cutoff:    ", cutoff_text(patch.filter_cutoff)),
          row(2, "Resonance: ", widgets::percent_display(patch.filter_resonance)),
          row(3, "Env Depth: ", widgets::signed_percent_display(patch.filter_env_depth)),
          Line(""),
          modulation_line(app, " Freq: ", ids::kFilterCutoff, patch.filter_cutoff),
          modulation_line(app, " Res:  ", ids::kFilterResonance, patch.filter_resonance),
      })
      .render(inner, buffer);
}

// ---- AMP: the envelope as a small graph, its times, drive and pan. ----

// Six rows of 40 columns: "*" on the envelope's level, "." below it. Attack, decay and release
// take their share of the width by time, the sustain a fixed half second. Nothing is drawn for a
// total time that is not a positive finite number.
std::array<std::string, kGraphRows> envelope_graph(const TrackSynthParams& patch) {
  std::array<std::string, kGraphRows> rows{};
  const float a = patch.amp_attack;
  const float d = patch.amp_decay;
  const float s = patch.amp_sustain;
  const float total = a + d + kGraphSustainTime + patch.amp_release;
  if (!(total > 0.0f) || !std::isfinite(total)) return rows;

  auto columns = [&](float seconds) -> std::int64_t {
    return saturating_cast<std::int32_t>(seconds / total * static_cast<float>(kGraphWidth));
  };
  const std::int64_t attack = columns(a);
  const std::int64_t decay = columns(d);
  const std::int64_t end = attack + decay + columns(kGraphSustainTime);
  const std::int64_t release = end <= kGraphWidth ? kGraphWidth - end : 0;

  for (std::string& row : rows) row.assign(kGraphWidth, ' ');
  for (std::int64_t x = 0; x < kGraphWidth; ++x) {
    const auto fx = static_cast<float>(x);
    float level = s;
    if (x < attack) {
      level = fx / static_cast<float>(attack);
    } else if (x < attack + decay) {
      // The share of the decay passed comes first: multiplying before dividing rounds cells
      // that lie exactly on a row boundary into the row above.
      const float t = (fx - static_cast<float>(attack)) / static_cast<float>(decay);
      level = 1.0f - (1.0f - s) * t;
    } else if (x >= end) {
      level = s * (1.0f - (fx - static_cast<float>(end)) / static_cast<float>(release));
    }
    const int top = std::clamp(saturating_cast<int>((1.0f - level) * 5.0f), 0, kGraphRows - 1);
    const auto column = static_cast<std::size_t>(x);
    rows[static_cast<std::size_t>(top)][column] = '*';
    for (int below = top + 1; below < kGraphRows; ++below) {
      rows[static_cast<std::size_t>(below)][column] = '.';
    }
  }
  return rows;
}

void draw_amp_page(const App& app, term::Buffer& buffer, const Rect& area, bool focused) {
  const TrackSynthParams& patch = app.synth_params[app.current_track];
  const views::Theme& theme = app.theme;
  const Rect inner = draw_focus_box(buffer, area, focused, app.row_nav, theme.amp_accent, theme.dim,
                                    "Amp Envelope & Output");
  const RowLook look{app, focused, theme.amp_accent};

  std::vector<Line> lines;
  for (const std::string& row : envelope_graph(patch)) {
    lines.emplace_back(row.empty() ? std::string{} : "  " + row, Style{}.fg(theme.amp_accent));
  }
  lines.emplace_back("");
  std::vector<Span> envelope;
  std::uint8_t row = 0;
  for (auto& [label, value] : envelope_pairs(patch)) {
    envelope.push_back(look.label(row, label));
    envelope.push_back(look.value(row, std::move(value)));
    ++row;
  }
  lines.emplace_back(std::move(envelope));
  lines.emplace_back("");
  lines.emplace_back(std::vector<Span>{
      look.label(kDriveRow, "Drive: "),
      look.value(kDriveRow, widgets::percent_display(patch.drive) + "  "),
      Span("Pan: ", Style{}.fg(theme.dim)),
      Span(widgets::pan_display(app.mixer[app.current_track].pan), Style{}.fg(theme.fg))});
  term::Paragraph(std::move(lines)).render(inner, buffer);
}

LabelCell cell_at(int x, int y) {
  auto coordinate = [](int v) { return static_cast<std::uint16_t>(std::clamp(v, 0, 65535)); };
  return LabelCell{coordinate(x), coordinate(y)};
}

}  // namespace

void App::render_synth(term::Buffer& buffer, const term::Rect& body) const {
  const SynthLayout layout = synth_layout(body);
  const Focus focus = focus_of(*this);
  draw_algorithm_block(*this, buffer, layout.algorithm, focus.algorithm);
  switch (synth_page) {
    case SynthPage::Ops:
      for (std::size_t op = 0; op < kOperatorBoxes; ++op) {
        draw_operator_box(*this, buffer, layout.operators[op], op, focus.page);
      }
      break;
    case SynthPage::Flt:
      draw_filter_page(*this, buffer, layout.page, focus.page);
      break;
    case SynthPage::Amp:
      draw_amp_page(*this, buffer, layout.page, focus.page);
      break;
  }
  widgets::render_page_strip(buffer, layout.strip, theme, kPageNames,
                             static_cast<std::size_t>(synth_page));
}

// The labels stand on the algorithm block's top border, on each parameter's row just inside its
// box (the row marker's column), and on the strip's border beside each page name. On the AMP page
// the four envelope labels stand on their shared line, each on the second column of its own
// marker (where FLT's labels stand on theirs), so they move along with the widths of the values
// before them; Drive's stands the same way at the start of the output line.
std::vector<LabelCell> App::synth_label_cells(const term::Rect& body) const {
  const SynthLayout layout = synth_layout(body);
  const Rect& page = layout.page;
  std::vector<LabelCell> cells{cell_at(layout.algorithm.x + 1, layout.algorithm.y)};
  switch (synth_page) {
    case SynthPage::Ops: {
      const std::size_t current = std::min<std::size_t>(current_op, kOperatorBoxes - 1);
      const Rect& box = layout.operators[current];
      for (int line : {1, 2, 3, 6, 7, 8, 9}) cells.push_back(cell_at(box.x + 1, box.y + line));
      for (std::size_t op = 0; op < kOperatorBoxes; ++op) {
        if (op != current)
          cells.push_back(cell_at(layout.operators[op].x + 1, layout.operators[op].y + 1));
      }
      break;
    }
    case SynthPage::Flt:
      for (int row = 0; row < 4; ++row) cells.push_back(cell_at(page.x + 2, page.y + 1 + row));
      break;
    case SynthPage::Amp: {
      int x = page.x + 2;
      for (const auto& [label, value] : envelope_pairs(synth_params[current_track])) {
        cells.push_back(cell_at(x, page.y + 1 + kAmpEnvelopeLine));
        x += static_cast<int>(kMarkerWidth + term::display_width(label) +
                              term::display_width(value));
      }
      cells.push_back(cell_at(page.x + 2, page.y + 1 + kAmpOutputLine));
      break;
    }
  }
  for (int line = 1; line <= 3; ++line)
    cells.push_back(cell_at(layout.strip.x, layout.strip.y + line));
  return cells;
}

}  // namespace quorvelan::ui::app
