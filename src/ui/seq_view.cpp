// The SEQ view: the four track tabs, then either the step page (pattern strip, 16-column step grid
// with the play position and the cursor, step detail) or the current track's arpeggiator page,
// with a narrow page strip at the right edge. Read only: everything is derived from the App.

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <string>
#include <variant>
#include <vector>

#include "term/block.hpp"
#include "term/layout.hpp"
#include "term/paragraph.hpp"
#include "term/width.hpp"
#include "ui/app.hpp"
#include "ui/focus.hpp"
#include "ui/widgets.hpp"

namespace quorvelan::ui::app {
namespace {

namespace pattern = sequencer::pattern;
using term::Block;
using term::Borders;
using term::Constraint;
using term::Line;
using term::Modifier;
using term::Rect;
using term::Span;
using term::Style;

constexpr std::array<const char*, 12> kNoteNames{"C",  "C#", "D",  "D#", "E",  "F",
                                                 "F#", "G",  "G#", "A",  "A#", "B"};
constexpr std::array<const char*, 8> kDivisionNames{"1/1",  "1/2",  "1/4",   "1/8",
                                                    "1/8T", "1/16", "1/16T", "1/32"};
constexpr std::array<const char*, 8> kArpDivisionNames{"1/1", "1/2",  "1/4",  "1/8",
                                                       "T/8", "1/16", "T/16", "1/32"};
constexpr std::array<const char*, 10> kArpModeNames{
    "Off", "Up", "Down", "Up/Down", "Down/Up", "Converge", "Diverge", "Random", "Played", "Chord"};
constexpr std::array<const char*, 9> kScaleNames{
    "Off", "Major", "Minor", "Dorian", "Phrygian", "Lydian", "Mixolydian", "Pentatonic", "Blues"};
constexpr std::array<const char*, 9> kArpLabels{
    "Mode:     ", "Division: ", "Gate:     ", "Octaves:  ", "Length:   ",
    "Latch:    ", "Offsets:  ", "Scale:    ", "Root:     "};
constexpr std::array<const char*, 2> kPageNames{"SEQ", "ARP"};
constexpr std::uint8_t kArpOffsetsField = 6;
constexpr std::size_t kGridColumns = 16;
constexpr std::size_t kGridCellWidth = 4;   // columns drawn of each cell, whatever its pitch
constexpr std::size_t kStripPitch = 4;      // " 01 " and "[01]"
constexpr std::size_t kWideStripPitch = 5;  // room for "[128]"

template <typename Enum, std::size_t N>
const char* name_of(const std::array<const char*, N>& names, Enum value) {
  return names[static_cast<std::size_t>(value)];
}

// 60 is C3, 0 is C-2, 127 is G8.
std::string note_text(std::uint8_t note) {
  return fmt::format("{}{}", kNoteNames[note % 12], note / 12 - 2);
}

std::string condition_text(const pattern::TrigCondition& condition) {
  using C = pattern::TrigCondition;
  return std::visit(
      [](const auto& held) -> std::string {
        using Held = std::decay_t<decltype(held)>;
        if constexpr (std::is_same_v<Held, C::Always>) return "---";
        if constexpr (std::is_same_v<Held, C::Probability>) return fmt::format("{}%", held.percent);
        if constexpr (std::is_same_v<Held, C::Fill>) return "FILL";
        if constexpr (std::is_same_v<Held, C::NotFill>) return "!FIL";
        if constexpr (std::is_same_v<Held, C::Pre>) return "PRE";
        if constexpr (std::is_same_v<Held, C::NotPre>) return "!PRE";
        if constexpr (std::is_same_v<Held, C::Nei>) return "NEI";
        if constexpr (std::is_same_v<Held, C::NotNei>) return "!NEI";
        if constexpr (std::is_same_v<Held, C::First>) return "1ST";
        if constexpr (std::is_same_v<Held, C::NotFirst>) return "!1ST";
        if constexpr (std::is_same_v<Held, C::ModCount>)
          return fmt::format("{}:{}", held.a, held.b);
      },
      condition.value());
}

bool is_on(const pattern::Step& step) { return (step.flags & pattern::kStepOn) != 0; }
bool is_accented(const pattern::Step& step) { return (step.flags & pattern::kStepAccent) != 0; }

// The steps a track plays, never more than it holds.
std::size_t playable_steps(const pattern::Track& track) {
  return std::min<std::size_t>(track.length, track.steps.size());
}

// ---- Layout: one split of the body that the drawing and the jump labels both use. ----

struct SeqLayout {
  Rect tab_row;        // the four track tabs
  Rect pattern_strip;  // step page only
  Rect grid;           // step page only
  Rect detail;         // step page only
  Rect arpeggiator;    // arpeggiator page only
  Rect page_strip;
};

// The four track tabs in the tab row, as the tabs are drawn and as their jump labels find them.
std::vector<Rect> split_tabs(const Rect& area) {
  return term::split_horizontal(area, std::vector<Constraint>(4, Constraint::ratio(1, 4)));
}

SeqLayout seq_layout(const Rect& body, SeqPage page) {
  auto sides = term::split_horizontal(body, {Constraint::min(0), Constraint::length(3)});
  SeqLayout layout;
  layout.page_strip = sides[1];
  if (page == SeqPage::Steps) {
    auto rows = term::split_vertical(sides[0], {Constraint::length(3), Constraint::length(1),
                                                Constraint::min(0), Constraint::length(3)});
    layout.tab_row = rows[0];
    layout.pattern_strip = rows[1];
    layout.grid = rows[2];
    layout.detail = rows[3];
  } else {
    auto rows = term::split_vertical(sides[0], {Constraint::length(3), Constraint::min(0)});
    layout.tab_row = rows[0];
    layout.arpeggiator = rows[1];
  }
  return layout;
}

// ---- Pattern strip ----

bool has_content(const Pattern& slot) {
  if (!slot.plocks.empty()) return true;
  return std::ranges::any_of(slot.tracks, [](const pattern::Track& track) {
    return std::any_of(track.steps.begin(),
                       track.steps.begin() + static_cast<std::ptrdiff_t>(playable_steps(track)),
                       is_on);
  });
}

struct StripWindow {
  std::size_t first = 0;
  std::size_t count = 0;
};

// The slots that fit `width` at `pitch` columns each, centred on the current slot where the
// slot list allows.
StripWindow strip_window(std::size_t slots, std::size_t current, std::size_t width,
                         std::size_t pitch) {
  const std::size_t k = std::max<std::size_t>(width / pitch, 1);
  const std::size_t half = k / 2;
  std::size_t first = 0;
  if (current < half) {
    first = 0;
  } else if (current - half + k <= slots) {
    first = current - half;
  } else if (k <= slots) {
    first = slots - k;
  }
  return {first, std::min(first + k, slots) - first};
}

void render_pattern_strip(const App& app, term::Buffer& buffer, const Rect& area) {
  const std::size_t slots = std::max<std::size_t>(app.patterns.size(), app.current_pattern + 1u);
  auto window = strip_window(slots, app.current_pattern, area.width, kStripPitch);
  // Slot numbers from 100 on take three digits: give every slot one more column so that the
  // current one cannot fall off the strip.
  if (window.first + window.count >= 100) {
    window = strip_window(slots, app.current_pattern, area.width, kWideStripPitch);
  }
  std::vector<Span> spans;
  for (std::size_t slot = window.first; slot < window.first + window.count; ++slot) {
    const bool content = slot < app.patterns.size() && has_content(*app.patterns[slot]);
    const std::string text = content ? fmt::format("{:02}", slot + 1) : "··";
    if (slot == app.current_pattern) {
      spans.emplace_back(fmt::format("[{}]", text), Style{}.fg(app.theme.title).bold());
    } else {
      spans.emplace_back(fmt::format(" {} ", text),
                         Style{}.fg(content ? app.theme.fg : app.theme.dim));
    }
  }
  term::Paragraph({Line(std::move(spans))})
      .style(Style{}.bg(app.theme.header_bg))
      .render(area, buffer);
}

// ---- Step grid ----

std::string step_text(const pattern::Step& step) {
  if (!is_on(step)) return "--";
  return step.note ? note_text(*step.note) : "---";
}

Style step_style(const App& app, std::size_t index, std::size_t column, const pattern::Step& step) {
  const auto& theme = app.theme;
  const auto colour = theme.track(app.current_track);
  Style style;
  if (app.playing && app.play_steps[app.current_track] == index) {
    style = Style{}.fg(theme.playhead_fg).bg(theme.playhead_bg);
  } else if (index == app.current_step && app.editing) {
    style = Style{}.fg(theme.selected_fg).bg(colour);
  } else if (index == app.current_step) {
    style = Style{}.fg(colour).add_modifier(Modifier::Reversed);
  } else if (is_on(step)) {
    style = Style{}.fg(colour);
  } else {
    style = Style{}.fg(column % 4 == 0 ? theme.beat_step : theme.empty_step);
  }
  return is_on(step) && is_accented(step) ? style.bold() : style;
}

void render_step_grid(const App& app, term::Buffer& buffer, const Rect& area) {
  const auto& track = app.current_pattern_ref().tracks[app.current_track];
  Style border = Style{}.fg(app.theme.track(app.current_track));
  if (app.editing) border = border.bold();
  const Block block =
      Block()
          .borders(Borders::All)
          .border_style(border)
          .title(Line(fmt::format("{}Pattern A{:02} - Track {} ", app.editing ? " >> " : " > ",
                                  app.current_pattern + 1, app.current_track + 1),
                      border));
  block.render(area, buffer);

  const Rect inner = block.inner(area);
  const std::size_t length = playable_steps(track);
  if (inner.height < 1 || inner.width < kGridColumns || length < 1) return;
  // Wide grids spread the cells out; narrow ones cut each row short rather than squeeze them.
  const std::size_t pitch = std::max<std::size_t>(inner.width / kGridColumns, kGridCellWidth);
  const std::size_t rows =
      std::min<std::size_t>((length + kGridColumns - 1) / kGridColumns, inner.height);
  for (std::size_t row = 0; row < rows; ++row) {
    for (std::size_t column = 0; column < kGridColumns; ++column) {
      const std::size_t index = row * kGridColumns + column;
      if (index >= length || pitch * column + pitch > inner.width) break;
      const auto& step = track.steps[index];
      buffer.set_string(static_cast<int>(inner.x + pitch * column), static_cast<int>(inner.y + row),
                        term::pad_right(step_text(step), kGridCellWidth),
                        static_cast<int>(kGridCellWidth), step_style(app, index, column, step));
    }
  }
}

// ---- Step detail ----

void render_step_detail(const App& app, term::Buffer& buffer, const Rect& area) {
  const auto& track = app.current_pattern_ref().tracks[app.current_track];
  if (app.current_step >= track.steps.size()) return;
  const auto& step = track.steps[app.current_step];
  const auto& theme = app.theme;
  const auto colour = theme.track(app.current_track);
  const bool highlight = app.editing && app.seq_page == SeqPage::Steps;
  const Style border = highlight ? Style{}.fg(colour).bold() : Style{}.fg(theme.dim);
  const Block block = Block()
                          .borders(Borders::All)
                          .border_style(border)
                          .title(Line(fmt::format(" Step {:02} ", app.current_step + 1), border));
  block.render(area, buffer);

  const std::array<std::pair<const char*, std::string>, 7> entries{{
      {"Note", step.note ? note_text(*step.note) : "---"},
      {"Vel", std::to_string(step.velocity)},
      {"Gate", std::to_string(step.gate_ticks)},
      {"uT", fmt::format("{:+}", step.micro_timing)},
      {"Cond", condition_text(step.trig_condition)},
      {"Len", std::to_string(track.length)},
      {"Div", name_of(kDivisionNames, track.clock_division)},
  }};
  std::vector<Span> spans;
  for (std::size_t row = 0; row < entries.size(); ++row) {
    const bool selected = highlight && row == app.detail_row;
    spans.emplace_back(
        fmt::format("{}{}:", focus::row_marker(selected, app.editing), entries[row].first),
        Style{}.fg(theme.dim));
    spans.emplace_back(term::pad_right(entries[row].second, 5) + " ",
                       selected ? Style{}.fg(colour).bold() : Style{}.fg(theme.fg));
  }
  spans.emplace_back(
      fmt::format(" {}{}", is_on(step) ? "ON" : "OFF", is_accented(step) ? " ACC" : ""),
      Style{}.fg(theme.dim));
  term::Paragraph({Line(std::move(spans))}).render(block.inner(area), buffer);
}

// ---- Arpeggiator page ----

void render_arpeggiator(const App& app, term::Buffer& buffer, const Rect& area) {
  const auto& track = app.current_pattern_ref().tracks[app.current_track];
  const auto& arp = track.arp;
  const auto& theme = app.theme;
  const auto colour = theme.track(app.current_track);
  Style border = Style{}.fg(app.row_nav || app.editing ? colour : theme.dim);
  if (app.editing) border = border.bold();
  const Block block =
      Block()
          .borders(Borders::All)
          .border_style(border)
          .title(Line(fmt::format(" Arpeggiator - Track {} ", app.current_track + 1), border));
  block.render(area, buffer);

  const std::array<std::string, 9> values{
      name_of(kArpModeNames, arp.mode),
      name_of(kArpDivisionNames, arp.division),
      fmt::format("{}%", arp.gate_percent),
      std::to_string(arp.octave_range),
      std::to_string(arp.length),
      arp.latch ? "On" : "Off",
      "",
      name_of(kScaleNames, track.scale),
      kNoteNames[track.scale_root % 12],
  };
  std::vector<Line> lines;
  for (std::uint8_t field = 0; field < values.size(); ++field) {
    const bool selected = app.row_nav && app.arp_field == field;
    std::vector<Span> spans;
    spans.emplace_back(
        fmt::format("{}{}", focus::row_marker(selected, app.editing), kArpLabels[field]),
        Style{}.fg(theme.dim));
    if (field != kArpOffsetsField) {
      const Style value = !selected     ? Style{}.fg(theme.fg)
                          : app.editing ? Style{}.fg(colour).bold()
                                        : Style{}.fg(theme.fg).bold();
      spans.emplace_back(values[field], value);
      lines.emplace_back(std::move(spans));
      continue;
    }
    // A file may hold a longer cycle while the arpeggiator is off; there are only 16 offsets.
    const std::size_t shown = std::min<std::size_t>(arp.length, pattern::kArpOffsetCount);
    for (std::size_t entry = 0; entry < shown; ++entry) {
      if (entry > 0) spans.emplace_back(" ", Style{}.fg(theme.dim));
      Style offset = Style{}.fg(theme.fg);
      if (selected && entry == app.arp_offset_index) {
        offset = app.editing ? Style{}.fg(colour).bold()
                             : Style{}.fg(theme.fg).bold().add_modifier(Modifier::Underlined);
      } else if (selected) {
        offset = app.editing ? Style{}.fg(colour) : Style{}.fg(theme.fg).bold();
      }
      spans.emplace_back(fmt::format("{:+}", arp.offsets[entry]), offset);
    }
    lines.emplace_back(std::move(spans));
  }
  term::Paragraph(std::move(lines)).render(block.inner(area), buffer);
}

}  // namespace

void App::render_sequencer(term::Buffer& buffer, const Rect& body) const {
  const SeqLayout layout = seq_layout(body, seq_page);
  render_track_selector(buffer, layout.tab_row);
  if (seq_page == SeqPage::Steps) {
    render_pattern_strip(*this, buffer, layout.pattern_strip);
    render_step_grid(*this, buffer, layout.grid);
    render_step_detail(*this, buffer, layout.detail);
  } else {
    render_arpeggiator(*this, buffer, layout.arpeggiator);
  }
  widgets::render_page_strip(buffer, layout.page_strip, theme, kPageNames,
                             static_cast<std::size_t>(seq_page));
}

void App::render_track_selector(term::Buffer& buffer, const Rect& area) const {
  const bool focused = column == 0 && mode == Mode::Normal;
  const char* marker = !focused ? "" : row_nav ? ">" : "*";
  const auto tabs = split_tabs(area);
  const auto& tracks = current_pattern_ref().tracks;
  for (std::uint8_t track = 0; track < kTrackCount; ++track) {
    const bool muted = mixer[track].muted;
    Style style;
    if (track == current_track) {
      style = Style{}.fg(term::colors::black).bg(theme.track(track)).bold();
    } else {
      style = Style{}.fg(muted ? theme.border : focused ? theme.track(track) : theme.dim);
    }
    const Block block =
        Block()
            .borders(Borders::All)
            .style(style)
            .border_style(style)
            .title(
                Line(fmt::format("{} Track {}{}", marker, track + 1, muted ? " [M]" : ""), style));
    block.render(tabs[track], buffer);
    term::Paragraph({Line(fmt::format("Len:{} Div:{}", tracks[track].length,
                                      name_of(kDivisionNames, tracks[track].clock_division)))})
        .style(style)
        .render(block.inner(tabs[track]), buffer);
  }
}

std::vector<LabelCell> App::seq_label_cells(const Rect& body) const {
  const SeqLayout layout = seq_layout(body, seq_page);
  std::vector<LabelCell> cells;
  auto top_border = [&cells](const Rect& area) {
    cells.push_back({static_cast<std::uint16_t>(area.x + 1), area.y});
  };
  for (const Rect& tab : split_tabs(layout.tab_row)) top_border(tab);
  if (seq_page == SeqPage::Steps) {
    top_border(layout.grid);
    top_border(layout.detail);
  } else {
    for (std::uint16_t field = 0; field < kArpLabels.size(); ++field) {
      cells.push_back({static_cast<std::uint16_t>(layout.arpeggiator.x + 2),
                       static_cast<std::uint16_t>(layout.arpeggiator.y + 1 + field)});
    }
  }
  return cells;
}

}  // namespace quorvelan::ui::app
