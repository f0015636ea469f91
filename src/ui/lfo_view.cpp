// The LFO view: a live preview of the selected LFO's wave over the four LFOs' settings, and the
// target picker over both while it is open.

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "numeric.hpp"
#include "term/block.hpp"
#include "term/clear.hpp"
#include "term/layout.hpp"
#include "term/paragraph.hpp"
#include "term/sparkline.hpp"
#include "ui/app.hpp"
#include "ui/focus.hpp"
#include "ui/mod_targets.hpp"
#include "ui/overlay_box.hpp"
#include "ui/widgets.hpp"

namespace quorvelan::ui::app {
namespace {

using lfo::LfoConfig;
using lfo::LfoShape;
using term::Constraint;
using term::Line;
using term::Rect;
using term::Span;
using term::Style;

constexpr std::uint16_t kSettingsHeight = 14;
constexpr std::uint8_t kLastLfo = lfo::kLfoCount - 1;
constexpr std::uint8_t kTargetRow = 3;
constexpr std::uint8_t kFieldCount = 10;
constexpr std::uint64_t kPreviewFull = 100;

constexpr std::array<const char*, 8> kShapeNames{"Sine", "Tri",  "SawUp", "SawDn",
                                                 "Sq",   "Exp",  "Ramp",  "S&H"};
constexpr std::array<const char*, 5> kTrigModeNames{"Free", "Trig", "Hold", "One", "Half"};

struct LfoLayout {
  Rect preview;
  std::array<Rect, lfo::kLfoCount> settings;  // LFO 1-4, left to right
};

// The preview above, the four LFOs' settings in a band of fixed height below.
LfoLayout lfo_layout(const Rect& body) {
  const auto rows =
      term::split_vertical(body, {Constraint::min(0), Constraint::length(kSettingsHeight)});
  const auto columns = term::split_horizontal(
      rows[1], std::vector<Constraint>(lfo::kLfoCount, Constraint::ratio(1, lfo::kLfoCount)));
  return {rows[0], {columns[0], columns[1], columns[2], columns[3]}};
}

const char* shape_name(LfoShape shape) {
  const auto index = static_cast<std::size_t>(shape);
  return index < kShapeNames.size() ? kShapeNames[index] : "?";
}

// The label of the table entry within 0.001 of `division`; "1/4" when none is.
std::string_view sync_division_label(float division) {
  const auto index = lfo::sync_division_index(division);
  return index ? lfo::kSyncDivisions[*index].label : "1/4";
}

// The wave of `shape` at phase p, -1..1. Sample-and-hold has no fixed wave to preview.
float preview_wave(LfoShape shape, float p) {
  switch (shape) {
    case LfoShape::Sine: return std::sin(2.0f * std::numbers::pi_v<float> * p);
    case LfoShape::Triangle: return p < 0.5f ? 4.0f * p - 1.0f : 3.0f - 4.0f * p;
    case LfoShape::SawUp: return 2.0f * p - 1.0f;
    case LfoShape::SawDown: return 1.0f - 2.0f * p;
    case LfoShape::Square: return p < 0.5f ? 1.0f : -1.0f;
    case LfoShape::Exponential:
      return p < 0.5f ? 8.0f * p * p - 1.0f : 1.0f - 2.0f * (2.0f * p - 1.0f) * (2.0f * p - 1.0f);
    case LfoShape::Ramp: return 1.0f - 2.0f * (2.0f * p - 1.0f) * (2.0f * p - 1.0f);
    case LfoShape::SampleAndHold: return 0.0f;
  }
  return 0.0f;
}

// One bar height 0..100 per column of a preview `width` columns wide. A shallow LFO is still
// drawn at a fifth of full swing so that its shape stays readable.
std::vector<std::uint64_t> preview_columns(const LfoConfig& config, float phase,
                                           std::uint16_t width) {
  std::vector<std::uint64_t> columns(width);
  const float start = config.enabled ? phase : 0.0f;
  const float amplitude = std::max(std::fabs(config.depth), 0.2f);
  for (std::uint16_t x = 0; x < width; ++x) {
    const float p = lfo::wrap_unit(start + config.phase_offset + static_cast<float>(x) / width);
    float shown = preview_wave(config.shape, p) * amplitude;
    if (config.depth < 0.0f) shown = -shown;
    const float y = clamp_finite(shown * 0.5f + 0.5f, 0.0f, 1.0f);
    columns[x] = saturating_cast<std::uint64_t>(y * 100.0f);
  }
  return columns;
}

std::string rate_text(const LfoConfig& config) {
  if (config.sync) return std::string(sync_division_label(config.sync_division));
  return fmt::format("{:.2f} Hz", config.rate);
}

std::string fade_text(float fade) {
  if (fade > 0.0f) return fmt::format("Out {:.1f}s", fade);
  if (fade < 0.0f) return fmt::format("In {:.1f}s", -fade);
  return "Off";
}

// A field's label, value text and bar value (0..1).
struct FieldRow {
  const char* label;
  std::string text;
  float bar;
};
FieldRow field_row(const LfoConfig& config, std::uint8_t field) {
  switch (field) {
    case 0: return {"Shape", shape_name(config.shape), 0.0f};
    case 1: return {"Rate", rate_text(config), config.sync ? 0.0f : config.rate / 50.0f};
    case 2: return {"Depth", widgets::signed_percent_display(config.depth), std::fabs(config.depth)};
    case 4: {
      const auto mode = static_cast<std::size_t>(config.trig_mode);
      return {"Mode", mode < kTrigModeNames.size() ? kTrigModeNames[mode] : "?", 0.0f};
    }
    case 5: return {"Fade", fade_text(config.fade), std::fabs(config.fade) / 10.0f};
    case 6: return {"Sync", config.sync ? "ON" : "OFF", 0.0f};
    case 7: return {"Div", std::string(sync_division_label(config.sync_division)), 0.0f};
    case 8: return {"Phase", fmt::format("{:.0f}°", config.phase_offset * 360.0f), config.phase_offset};
    default: return {"Enabled", config.enabled ? "ON" : "OFF", 0.0f};
  }
}

// The picker's box: 40x20 in a body that leaves a margin of 2 around it, smaller in one that does
// not, nothing in one too small for a box at all.
Rect picker_area(const Rect& body) {
  using overlay_box::minus;
  return overlay_box::centred(body, std::min<std::uint16_t>(minus(body.width, 4), 40),
                              std::min<std::uint16_t>(minus(body.height, 4), 20));
}

}  // namespace

void App::render_lfo(term::Buffer& buffer, const term::Rect& body) const {
  const auto layout = lfo_layout(body);
  const std::uint8_t shown = std::min(column, kLastLfo);

  // The preview, in the LFO's track colour, or dim while it does not run.
  const auto& config = lfo_configs[shown];
  const Style preview_style = Style{}.fg(config.enabled ? theme.track(shown) : theme.dim);
  const auto preview_block =
      term::Block()
          .borders(term::Borders::All)
          .border_style(preview_style)
          .title(Line(fmt::format(" LFO {} - {} ", shown + 1, shape_name(config.shape)),
                      preview_style));
  preview_block.render(layout.preview, buffer);
  const Rect wave = preview_block.inner(layout.preview);
  if (wave.height >= 1 && wave.width >= 2) {
    term::Sparkline(preview_columns(config, lfo_preview_phase[shown], wave.width))
        .max(kPreviewFull)
        .style(preview_style)
        .render(wave, buffer);
  }

  for (std::uint8_t lfo = 0; lfo < lfo::kLfoCount; ++lfo) {
    const bool focused = mode == Mode::Normal && shown == lfo;
    const auto block =
        focus::panel_block(fmt::format("LFO {}", lfo + 1), focused, row_nav, theme.fg);
    block.render(layout.settings[lfo], buffer);

    std::vector<Line> lines;
    for (std::uint8_t field = 0; field < kFieldCount; ++field) {
      const bool selected = focused && lfo_field == field;
      if (field == kTargetRow) {
        const Style label = Style{}.fg(selected ? theme.fg : theme.dim);
        Style target = Style{}.fg(theme.fg);
        if (selected) target = target.bold();
        lines.push_back(Line({Span("  Target: ", label),
                              Span(mod_targets::label(lfo_configs[lfo].target), target)}));
        continue;
      }
      const auto row = field_row(lfo_configs[lfo], field);
      lines.push_back(widgets::param_line_sel(row.label, row.text, selected, selected && editing,
                                              theme, row.bar));
    }
    term::Paragraph(std::move(lines)).render(block.inner(layout.settings[lfo]), buffer);
  }

  if (!picker_open) return;
  const Rect box = picker_area(body);
  term::Clear().render(box, buffer);
  const auto picker = term::Block()
                          .borders(term::Borders::All)
                          .style(Style{}.bg(theme.bg))
                          .border_style(Style{}.fg(theme.fg))
                          .title(Line(" Select Target ", Style{}.fg(theme.fg)));
  picker.render(box, buffer);
  const Rect inside = picker.inner(box);
  std::vector<Line> lines{Line("Filter: " + picker_filter, Style{}.fg(theme.fg))};
  if (picker_items.empty()) {
    lines.emplace_back("  (no matches)", Style{}.fg(theme.fg));
  } else {
    // Scrolled just far enough that the cursor's entry is on the last list row.
    const std::size_t list_rows = inside.height > 1 ? inside.height - 1u : 0u;
    const std::size_t first = widgets::first_visible(picker_index, list_rows);
    const std::size_t end = std::min(picker_items.size(), first + list_rows);
    for (std::size_t i = first; i < end; ++i) {
      Line line("  " + picker_items[i].second, Style{}.fg(theme.fg));
      if (i == picker_index) {
        line.spans[0].style = Style{}.fg(theme.selected_fg);
        line.style = Style{}.bg(theme.selected_bg);
      }
      lines.push_back(std::move(line));
    }
  }
  term::Paragraph(std::move(lines)).render(inside, buffer);
}

std::vector<LabelCell> App::lfo_label_cells(const term::Rect& body) const {
  const Rect settings = lfo_layout(body).settings[std::min(column, kLastLfo)];
  std::vector<LabelCell> cells;
  for (std::uint16_t field = 1; field <= kFieldCount; ++field) {
    cells.push_back({static_cast<std::uint16_t>(settings.x + 1),
                     static_cast<std::uint16_t>(settings.y + field)});
  }
  return cells;
}

}  // namespace quorvelan::ui::app
