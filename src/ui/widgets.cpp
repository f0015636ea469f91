#include "ui/widgets.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

#include "numeric.hpp"
#include "term/block.hpp"
#include "term/paragraph.hpp"
#include "term/width.hpp"
#include "ui/app.hpp"
#include "ui/focus.hpp"

namespace quorvelan::ui::widgets {
namespace {

using term::Color;
using term::Line;
using term::Span;
using term::Style;

constexpr std::size_t kLineBarWidth = 12;
constexpr std::size_t kLabelWidth = 8;
constexpr std::array<const char*, 5> kKnobGlyphs{"○", "◔", "◑", "◕", "●"};
constexpr std::array<const char*, 8> kMeterGlyphs{"▁", "▂", "▃", "▄", "▅", "▆", "▇", "█"};
// How far towards the modulation colour a modulated label swings at the top of the pulse.
constexpr float kLabelTint = 0.4f;

// Cells of a `width`-cell bar that a 0..1 value fills; NaN fills none.
std::size_t filled_cells(std::size_t width, float value) {
  const float v = clamp_finite(value, 0.0f, 1.0f);
  return std::min(width, saturating_cast<std::size_t>(v * static_cast<float>(width)));
}

std::uint8_t blend_channel(std::uint8_t from, std::uint8_t to, float amount) {
  const float f = from;
  return saturating_cast<std::uint8_t>(f + (static_cast<float>(to) - f) * amount);
}

// `from` moved towards `to` by `amount` per RGB channel; absent when either is a named colour.
std::optional<Color> blend(Color from, Color to, float amount) {
  if (!from.is_rgb() || !to.is_rgb()) return std::nullopt;
  return Color::rgb(blend_channel(from.r, to.r, amount), blend_channel(from.g, to.g, amount),
                    blend_channel(from.b, to.b, amount));
}

std::string label_text(std::string_view label) { return term::pad_right(label, kLabelWidth) + " "; }

// A parameter row's value: bold on the selected row, in the selected background colour while
// edited.
Span value_span(std::string_view value_text, bool active, bool editing, const views::Theme& theme) {
  Style style = Style{}.fg(editing ? theme.selected_bg : theme.fg);
  if (active) style = style.bold();
  return Span(term::pad_right(value_text, kLabelWidth), style);
}

}  // namespace

std::string param_bar(std::size_t width, float value) {
  const std::size_t n = filled_cells(width, value);
  return std::string(n, '=') + std::string(width - n, ' ');
}

std::string framed_bar(std::size_t width, float value) {
  return fmt::format("|{}|", param_bar(width, value));
}

Line param_line_sel(std::string_view label, std::string_view value_text, bool selected,
                    bool editing, const views::Theme& theme, float value) {
  const bool active = selected || editing;
  const Style label_style = Style{}.fg(active ? theme.fg : theme.dim);
  return Line({Span(focus::row_marker(active, editing) + label_text(label), label_style),
               value_span(value_text, active, editing, theme),
               Span(framed_bar(kLineBarWidth, value), label_style)});
}

Line param_line_sel_mod(std::string_view label, std::string_view value_text, bool modulated,
                        bool selected, bool editing, const views::Theme& theme, Color mod_color,
                        float base, float modulated_value, float pulse) {
  const bool active = selected || editing;
  const Color label_color = active ? theme.fg : theme.dim;
  const char* marker = active ? ">" : " ";
  const Span value = value_span(value_text, active, editing, theme);

  if (!modulated) {
    const Style label_style = Style{}.fg(label_color);
    return Line({Span(marker, label_style), Span(" ", Style{}.fg(mod_color).bold()),
                 Span(label_text(label), label_style), value,
                 Span(framed_bar(kLineBarWidth, base), label_style)});
  }
  const Style tinted =
      Style{}.fg(blend(label_color, mod_color, pulse * kLabelTint).value_or(label_color));
  std::vector<Span> spans{Span(marker, tinted), knob_span(theme.dim, mod_color, pulse),
                          Span(label_text(label), tinted), value};
  for (auto& span :
       param_bar_mod_spans(kLineBarWidth, label_color, mod_color, base, modulated_value)) {
    spans.push_back(std::move(span));
  }
  return Line(std::move(spans));
}

std::vector<Span> param_bar_mod_spans(std::size_t width, Color base_color, Color mod_color,
                                      float base, float modulated_value) {
  const Style base_style = Style{}.fg(base_color);
  std::vector<Span> spans;
  spans.reserve(width + 2);
  spans.emplace_back("|", base_style);
  if (width > 0) {
    const std::size_t n = filled_cells(width, base);
    const std::size_t m = std::min(width - 1, filled_cells(width, modulated_value));
    const std::size_t lo = std::min(m, n);
    const std::size_t hi = std::max(m, n);
    for (std::size_t i = 0; i < width; ++i) {
      if (i == m) {
        spans.emplace_back("│", Style{}.fg(mod_color).bold());
      } else if (i >= lo && i <= hi) {
        spans.emplace_back("─", Style{}.fg(mod_color));
      } else {
        spans.emplace_back(i < n ? "=" : " ", base_style);
      }
    }
  }
  spans.emplace_back("|", base_style);
  return spans;
}

Span knob_span(Color dim, Color mod_color, float pulse) {
  const auto k = saturating_cast<std::uint8_t>(pulse * 4.99f);
  const char* glyph = kKnobGlyphs[std::min<std::size_t>(k, kKnobGlyphs.size() - 1)];
  const Color color = blend(dim, mod_color, pulse).value_or(pulse > 0.5f ? mod_color : dim);
  return Span(glyph, Style{}.fg(color).bold());
}

std::optional<float> live_modulation(const app::App& app, lfo::ModTargetKind kind, std::uint8_t a,
                                     std::uint8_t b) {
  for (const auto& record : app.lfo_modulation) {
    if (record.kind == kind && record.a == a && record.b == b) {
      return clamp_finite(record.value, 0.0f, 1.0f);
    }
  }
  return std::nullopt;
}

void render_page_strip(term::Buffer& buffer, const term::Rect& area, const views::Theme& theme,
                       std::span<const char* const> pages, std::size_t current) {
  const auto block = term::Block().borders(term::Borders::Left).border_style(Style{}.fg(theme.dim));
  block.render(area, buffer);
  // selected_fg is the screen's own background colour in both palettes: on its own it would
  // vanish, so the current page and the arrows stand on selected_bg, as the active tab does.
  const Style lit = Style{}.fg(theme.selected_fg).bg(theme.selected_bg).bold();
  const Style other = Style{}.fg(theme.dim);

  std::vector<Line> lines;
  lines.emplace_back(current > 0 ? Line(" ▲ ", lit) : Line("   ", other));
  for (std::size_t i = 0; i < pages.size(); ++i) {
    lines.emplace_back(i == current ? Line(term::center(pages[i], 3), lit) : Line(" · ", other));
  }
  lines.emplace_back(current + 1 < pages.size() ? Line(" ▼ ", lit) : Line("   ", other));
  term::Paragraph(std::move(lines))
      .alignment(term::Alignment::Center)
      .render(block.inner(area), buffer);
}

const char* meter_glyph(float level) {
  const int index = std::clamp(saturating_cast<int>(std::round(level * 7.0f)), 0, 7);
  return kMeterGlyphs[static_cast<std::size_t>(index)];
}

std::size_t first_visible(std::size_t line, std::size_t rows) {
  return rows > 0 && line >= rows ? line + 1 - rows : 0;
}

std::string pan_display(float pan) {
  // NaN cannot come from a file or a key, but shows as the centre rather than as "Rnan".
  if (!(std::fabs(pan) >= 0.05f)) return "C";
  if (pan < 0.0f) return fmt::format("L{:.0f}", -pan * 50.0f);
  return fmt::format("R{:.0f}", pan * 50.0f);
}

std::string percent_display(float level) { return fmt::format("{:.0f}%", level * 100.0f); }
std::string signed_percent_display(float amount) {
  return fmt::format("{:+.0f}%", amount * 100.0f);
}
std::string milliseconds_display(float seconds) {
  return fmt::format("{:.0f}ms", seconds * 1000.0f);
}

}  // namespace quorvelan::ui::widgets

namespace quorvelan::ui::app {
namespace {

constexpr term::Color kMeterRed = term::Color::hex(0xEB4D4B);
constexpr term::Color kMeterOrange = term::Color::hex(0xF39C12);
constexpr term::Color kMeterGreen = term::Color::hex(0x6AB04C);
constexpr term::Color kMeterUnlit = term::Color::hex(0x313244);

}  // namespace

void App::render_vertical_meter(term::Buffer& buffer, const term::Rect& area, float left,
                                float right) {
  if (area.height == 0 || area.width < 2) return;
  const int column_width = std::max((area.width - 1) / 2, 1);
  struct Column {
    int x;
    float level;
  };
  const std::array<Column, 2> columns{{{area.x, left}, {area.x + column_width + 1, right}}};
  const float h = area.height;
  for (int r = 0; r < area.height; ++r) {
    const float p = static_cast<float>(area.height - 1 - r) / h;
    for (const auto& [x, level] : columns) {
      // A 2-wide area puts the right column just past its edge: that cell is a neighbour's.
      const int width = std::min(column_width, area.right() - x);
      if (width <= 0) continue;
      const float fill = clamp_finite((level - p) * h, 0.0f, 1.0f);
      const char* glyph = fill > 0.0f ? widgets::meter_glyph(fill) : " ";
      term::Color color = kMeterUnlit;
      if (p <= level) color = p > 0.85f ? kMeterRed : (p > 0.65f ? kMeterOrange : kMeterGreen);
      std::string text;
      for (int i = 0; i < width; ++i) text += glyph;
      buffer.set_string(x, area.y + r, text, width, term::Style{}.fg(color));
    }
  }
}

}  // namespace quorvelan::ui::app
