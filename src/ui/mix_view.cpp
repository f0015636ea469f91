// The MIX view: four track strips and the master strip, each with its text rows on the left and a
// level meter in its five rightmost columns.

#include <fmt/format.h>

#include <algorithm>
#include <array>

#include "term/block.hpp"
#include "term/layout.hpp"
#include "term/paragraph.hpp"
#include "ui/app.hpp"
#include "ui/focus.hpp"
#include "ui/widgets.hpp"

namespace quorvelan::ui::app {
namespace {

using term::Constraint;
using term::Line;
using term::Rect;
using term::Span;
using term::Style;
using widgets::percent_display;

constexpr std::size_t kStripCount = kTrackCount + 1;  // the master last
constexpr std::uint16_t kMeterWidth = 5;
constexpr std::size_t kRowCount = 5;

// The text line each cursor row stands on, counted from the strip's first inner row. A track
// strip reads: mute, volume, volume bar, pan, a blank, "Sends:", then the three sends; the master
// strip: volume, its bar, " Overdrive", drive, tone, " DJ Filter", cutoff, resonance.
constexpr std::array<std::uint8_t, kRowCount> kTrackRowLines{1, 3, 6, 7, 8};
constexpr std::array<std::uint8_t, kRowCount> kMasterRowLines{0, 3, 4, 6, 7};
constexpr std::size_t kTrackLineCount = 9;
constexpr std::size_t kMasterLineCount = 8;

struct Strip {
  Rect area;   // the bordered block
  Rect inner;  // inside the border
  Rect text;   // inside the border, left of the meter
  Rect meter;  // the five rightmost inner columns
};

// The five strips, tracks 1-4 then the master, left to right.
std::array<Strip, kStripCount> mixer_layout(const Rect& body) {
  const auto columns = term::split_horizontal(
      body, std::vector<Constraint>(kStripCount, Constraint::ratio(1, kStripCount)));
  std::array<Strip, kStripCount> strips{};
  for (std::size_t i = 0; i < kStripCount; ++i) {
    const Rect inner = term::Block().borders(term::Borders::All).inner(columns[i]);
    const auto parts =
        term::split_horizontal(inner, {Constraint::min(0), Constraint::length(kMeterWidth)});
    strips[i] = Strip{columns[i], inner, parts[0], parts[1]};
  }
  return strips;
}

// The DJ filter's one knob: low-pass below the middle, high-pass above, off around it.
std::string dj_cutoff_text(float v) {
  if (v < 0.48f) return fmt::format("LP {:.0f}%", (0.5f - v) * 200.0f);
  if (v > 0.52f) return fmt::format("HP {:.0f}%", (v - 0.5f) * 200.0f);
  return "OFF";
}

// How one strip's rows look: dim labels with the row marker, values in `fg` or, while being
// edited, in the strip's colour.
struct StripLook {
  const App& app;
  bool focused;
  term::Color color;

  [[nodiscard]] Line row(std::uint8_t row, std::string_view label, std::string value) const {
    const bool selected = focused && app.mixer_row == row;
    const bool edited = selected && app.editing;
    Style value_style = Style{}.fg(app.theme.fg);
    if (edited) value_style = Style{}.fg(color).bold();
    return Line({Span(fmt::format("{}{}", focus::row_marker(selected, edited), label),
                      Style{}.fg(app.theme.dim)),
                 Span(std::move(value), value_style)});
  }
  [[nodiscard]] Line bar(const Rect& text, float value) const {
    const std::size_t width = text.width > 3 ? text.width - 3 : 0;
    return Line(" " + widgets::framed_bar(width, value), Style{}.fg(color));
  }
};

// Draws the strip's block with its focus marker and returns the look of its rows.
StripLook draw_strip_block(const App& app, term::Buffer& buffer, const Strip& strip,
                           std::uint8_t column, std::string_view name, term::Color color) {
  const bool focused = app.mode == Mode::Normal && app.column == column;
  focus::panel_block(name, focused, app.row_nav, focused ? color : app.theme.dim)
      .render(strip.area, buffer);
  return StripLook{app, focused, color};
}

}  // namespace

void App::render_mixer(term::Buffer& buffer, const term::Rect& body) const {
  const auto strips = mixer_layout(body);
  const Style dim = Style{}.fg(theme.dim);

  for (std::uint8_t track = 0; track < kTrackCount; ++track) {
    const auto& strip = strips[track];
    const auto& state = mixer[track];
    const auto look = draw_strip_block(*this, buffer, strip, track,
                                       fmt::format("Track {}", track + 1), theme.track(track));
    std::vector<Line> lines(kTrackLineCount);
    if (state.muted) lines[0] = Line("[MUTED]", Style{}.fg(term::colors::red).bold());
    const std::array<float, 3> sends{state.chorus_send, state.delay_send, state.reverb_send};
    lines[kTrackRowLines[0]] = look.row(0, "Vol:", percent_display(state.volume));
    lines[kTrackRowLines[0] + 1] = look.bar(strip.text, state.volume);
    lines[kTrackRowLines[1]] = look.row(1, "Pan:", widgets::pan_display(state.pan));
    lines[kTrackRowLines[2] - 1] = Line("Sends:", dim);
    constexpr std::array<const char*, 3> kSendLabels{"CHR:", "DEL:", "REV:"};
    for (std::uint8_t send = 0; send < sends.size(); ++send) {
      const auto row = static_cast<std::uint8_t>(2 + send);
      lines[kTrackRowLines[row]] = look.row(row, kSendLabels[send], percent_display(sends[send]));
    }
    term::Paragraph(std::move(lines)).render(strip.text, buffer);
    render_vertical_meter(buffer, strip.meter, meters[track].left, meters[track].right);
  }

  const auto& strip = strips[kMasterColumn];
  const auto look = draw_strip_block(*this, buffer, strip, kMasterColumn, "Master", theme.accent);
  if (strip.inner.width <= 2 || strip.inner.height <= 5) return;
  std::vector<Line> lines(kMasterLineCount);
  lines[kMasterRowLines[0]] = look.row(0, "Vol:", percent_display(master_volume));
  lines[kMasterRowLines[0] + 1] = look.bar(strip.text, master_volume / kMaxMasterVolume);
  lines[kMasterRowLines[1] - 1] = Line(" Overdrive", dim);
  lines[kMasterRowLines[1]] = look.row(1, "Drv:", percent_display(effects.overdrive_drive));
  lines[kMasterRowLines[2]] = look.row(2, "Tone:", percent_display(effects.overdrive_tone));
  lines[kMasterRowLines[3] - 1] = Line(" DJ Filter", dim);
  lines[kMasterRowLines[3]] = look.row(3, "Cut:", dj_cutoff_text(effects.dj_filter_cutoff));
  lines[kMasterRowLines[4]] = look.row(4, "Reso:", percent_display(effects.dj_filter_resonance));
  term::Paragraph(std::move(lines)).render(strip.text, buffer);

  // The loudest track on each side, never below silence.
  float left = 0.0f;
  float right = 0.0f;
  for (const auto& meter : meters) {
    left = std::max(left, meter.left);
    right = std::max(right, meter.right);
  }
  render_vertical_meter(buffer, strip.meter, left, right);
}

std::vector<LabelCell> App::mixer_label_cells(const term::Rect& body) const {
  std::vector<LabelCell> cells;
  const auto strips = mixer_layout(body);
  for (std::size_t i = 0; i < kStripCount; ++i) {
    const auto& row_lines = i < kTrackCount ? kTrackRowLines : kMasterRowLines;
    for (const std::uint8_t line : row_lines) {
      cells.push_back({static_cast<std::uint16_t>(strips[i].area.x + 1),
                       static_cast<std::uint16_t>(strips[i].text.y + line)});
    }
  }
  return cells;
}

}  // namespace quorvelan::ui::app
