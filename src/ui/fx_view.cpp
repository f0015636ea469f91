// The FX view: the three send effects side by side, each parameter row showing the LFO that moves
// it, and the routing into the reverb under the chorus and the delay.

#include <fmt/format.h>

#include <array>
#include <optional>

#include "term/block.hpp"
#include "term/layout.hpp"
#include "term/paragraph.hpp"
#include "ui/app.hpp"
#include "ui/effect_fields.hpp"
#include "ui/focus.hpp"
#include "ui/widgets.hpp"

namespace quorvelan::ui::app {
namespace {

using term::Constraint;
using term::Line;
using term::Rect;
using term::Span;
using term::Style;
using widgets::milliseconds_display;
using widgets::percent_display;

constexpr std::size_t kPanelCount = 3;

// The three panels, chorus, delay and reverb, left to right.
std::array<Rect, kPanelCount> fx_layout(const Rect& body) {
  const auto parts = term::split_horizontal(
      body, {Constraint::ratio(1, 3), Constraint::ratio(1, 3), Constraint::ratio(1, 3)});
  return {parts[0], parts[1], parts[2]};
}

struct FxRow {
  const char* label;
  // The value text of the parameter's setting.
  std::string (*text)(float);
};
std::string hertz(float v) { return fmt::format("{:.1f} Hz", v); }

struct FxPanel {
  const char* title;
  std::vector<FxRow> rows;  // row index = parameter index of the effect
};
const std::array<FxPanel, kPanelCount>& fx_panels() {
  static const std::array<FxPanel, kPanelCount> panels{{
      {"CHORUS", {{"Rate", hertz}, {"Depth", percent_display}, {"Mix", percent_display}}},
      {"DELAY",
       {{"Time L", milliseconds_display},
        {"Time R", milliseconds_display},
        {"Feedback", percent_display},
        {"Mix", percent_display}}},
      {"REVERB",
       {{"Decay", percent_display},
        {"Damping", percent_display},
        {"Mix", percent_display},
        {"PreDly", milliseconds_display}}},
  }};
  return panels;
}

}  // namespace

void App::render_effects(term::Buffer& buffer, const term::Rect& body) const {
  const auto areas = fx_layout(body);
  const Style dim = Style{}.fg(theme.dim);
  const Style value = Style{}.fg(theme.fg);
  for (std::uint8_t effect = 0; effect < kPanelCount; ++effect) {
    const auto& panel = fx_panels()[effect];
    const bool focused = mode == Mode::Normal && column == effect;
    const auto block = focus::panel_block(panel.title, focused, row_nav, theme.fg);
    block.render(areas[effect], buffer);

    std::vector<Line> lines;
    for (std::uint8_t row = 0; row < panel.rows.size(); ++row) {
      const float setting = *effect_fields::find(effects, effect, row);
      const auto live =
          widgets::live_modulation(*this, lfo::ModTargetKind::EffectParam, effect, row);
      const bool selected = focused && fx_row == row;
      lines.push_back(widgets::param_line_sel_mod(
          panel.rows[row].label, panel.rows[row].text(setting), live.has_value(), selected,
          selected && editing, theme, theme.fg, setting, live.value_or(0.0f), pulse));
    }
    if (effect == 0) {
      lines.emplace_back("  Routing:", dim);
      lines.push_back(
          Line({Span("  CHR>REV: ", dim), Span(percent_display(effects.chorus_to_reverb), value)}));
    } else if (effect == 1) {
      lines.push_back(
          Line({Span("  Ping-Pong: ", dim), Span(effects.delay_ping_pong ? "ON" : "OFF", value)}));
      lines.push_back(
          Line({Span("  DEL>REV: ", dim), Span(percent_display(effects.delay_to_reverb), value)}));
    }
    term::Paragraph(std::move(lines)).render(block.inner(areas[effect]), buffer);
  }
}

std::vector<LabelCell> App::fx_label_cells(const term::Rect& body) const {
  std::vector<LabelCell> cells;
  const auto areas = fx_layout(body);
  for (std::size_t effect = 0; effect < kPanelCount; ++effect) {
    const Rect& panel = areas[effect];
    for (std::size_t row = 1; row <= fx_panels()[effect].rows.size(); ++row) {
      cells.push_back({static_cast<std::uint16_t>(panel.x + 1),
                       static_cast<std::uint16_t>(panel.y + row)});
    }
  }
  return cells;
}

}  // namespace quorvelan::ui::app
