// The screen frame: background, header with tabs, tempo, transport and meters, the status row,
// the help row, and the project picker that replaces all of them at start but a recent status.

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <optional>

#include "term/block.hpp"
#include "term/layout.hpp"
#include "term/paragraph.hpp"
#include "ui/app.hpp"
#include "ui/overlay_box.hpp"
#include "ui/widgets.hpp"

namespace quorvelan::ui::app {
namespace {

using term::Constraint;
using term::Line;
using term::Span;
using term::Style;

constexpr std::uint16_t kPickerWidth = 50;

std::string bpm_text(double bpm) { return fmt::format("BPM:{:.0f}", bpm); }

// The status as the status row shows it, while it is recent enough to show.
std::optional<Span> recent_status(const App& app) {
  const Status* status = app.shown_status(Clock::now());
  if (status == nullptr) return std::nullopt;
  return Span(fmt::format("[{}]", status->text), Style{}.fg(term::colors::cyan).bold());
}

struct HelpText {
  const char* keyboard;
  const char* gamepad;
};

}  // namespace

std::array<term::Rect, 4> frame_rows(const term::Rect& screen) {
  const auto rows = term::split_vertical(screen, {Constraint::length(1), Constraint::min(0),
                                                  Constraint::length(1), Constraint::length(1)});
  return {rows[0], rows[1], rows[2], rows[3]};
}

void App::render_app(term::Buffer& buffer) const {
  const term::Rect area = buffer.area();
  term::Block().style(Style{}.bg(theme.bg)).render(area, buffer);
  if (view == View::Project) {
    render_project_picker(area, buffer);
    return;
  }
  const auto parts = frame_rows(area);
  render_header(parts[0], buffer);
  switch (view) {
    case View::Seq: render_sequencer(buffer, parts[1]); break;
    case View::Synth: render_synth(buffer, parts[1]); break;
    case View::Fx: render_effects(buffer, parts[1]); break;
    case View::Lfo: render_lfo(buffer, parts[1]); break;
    case View::Mix: render_mixer(buffer, parts[1]); break;
    case View::Set: render_settings(buffer, parts[1]); break;
    case View::Project: break;
  }
  render_status(parts[2], buffer);
  render_help(parts[3], buffer);
  if (jump_active) render_jump_overlay(buffer, area);
  if (dialog_open) render_file_dialog(buffer, area);
  if (help_visible) render_help_popup(buffer, area);
}

void App::render_header(const term::Rect& area, term::Buffer& buffer) const {
  std::vector<Span> spans;
  spans.emplace_back(" QUORVELAN ", Style{}.fg(theme.title).bold());
  const Style active = Style{}.fg(theme.selected_fg).bg(theme.selected_bg).bold();
  const Style inactive = Style{}.fg(theme.dim);
  auto tab = [&](View tab_view, const char* name) {
    if (view == tab_view) {
      spans.emplace_back(fmt::format(" [{}] ", name), active);
    } else {
      spans.emplace_back(fmt::format("  {}  ", name), inactive);
    }
  };
  tab(View::Seq, "SEQ");
  constexpr std::array<const char*, 3> kSynthPages{"OPS", "FLT", "AMP"};
  for (std::size_t page = 0; page < kSynthPages.size(); ++page) {
    Style style = inactive;
    if (view == View::Synth) {
      style = page == static_cast<std::size_t>(synth_page) ? active : Style{}.fg(theme.fg);
    }
    spans.emplace_back(fmt::format(" {} ", kSynthPages[page]), style);
  }
  tab(View::Fx, "FX");
  tab(View::Lfo, "LFO");
  tab(View::Mix, "MIX");
  tab(View::Set, "SET");
  spans.emplace_back("  ");
  spans.emplace_back(bpm_text(bpm), Style{}.fg(theme.track2));
  spans.emplace_back("  ");
  spans.emplace_back(playing ? "[>]" : "[ ]", Style{}.fg(theme.transport));
  spans.emplace_back("  ");
  for (std::uint8_t track = 0; track < kTrackCount; ++track) {
    if (track > 0) spans.emplace_back(" ", Style{}.fg(theme.border));
    spans.emplace_back(
        fmt::format("{}{}", widgets::meter_glyph(meters[track].left),
                    widgets::meter_glyph(meters[track].right)),
        Style{}.fg(theme.track(track)));
  }
  term::Paragraph({Line(std::move(spans))}).style(Style{}.bg(theme.header_bg)).render(area, buffer);
}

void App::render_status(const term::Rect& area, term::Buffer& buffer) const {
  std::vector<Span> spans;
  spans.emplace_back(" NORMAL ", Style{}.fg(theme.mode_fg).bg(editing ? term::colors::red
                                                                      : term::colors::green));
  spans.emplace_back(fmt::format("  Pat:A{:02}  Trk:{}/4  Oct:{}  Step:{:02}/{}  ",
                                 current_pattern + 1, current_track + 1, octave, current_step + 1,
                                 current_pattern_ref().tracks[current_track % kTrackCount].length));
  spans.emplace_back(bpm_text(bpm), Style{}.fg(theme.track2));
  if (auto shown = recent_status(*this)) {
    spans.emplace_back("  ");
    spans.push_back(std::move(*shown));
  }
  term::Paragraph({Line(std::move(spans))}).style(Style{}.bg(theme.status_bg)).render(area, buffer);
}

void App::render_help(const term::Rect& area, term::Buffer& buffer) const {
  HelpText text{};
  if (view == View::Seq && editing && seq_page == SeqPage::Steps) {
    text = {"Up/Down:Adj  Tab:Param  [/]:Coarse  Enter:Toggle  Del:Clear  a:Acc  Esc:Back",
            "D-pad:Adj  L1/R1:Param  A:Toggle  B:Back"};
  } else if (view == View::Seq && editing) {
    text = {"[/]:Fine  Left/Right:Adj  Enter/Esc:Done", "D-pad:Adj  A/B:Done"};
  } else if (view == View::Seq && seq_page == SeqPage::Steps) {
    text = {"Left/Right:Step  Ctrl+L/R:View  Ctrl+U/D:Page  1-4:Track  Enter:Edit  Space:Play  h:Help",
            "D-pad:Nav  X/Y:View  L2/R2:Track  A:Edit  Start:Play  Sel+B:Help"};
  } else if (view == View::Seq) {
    text = {"Arrows:Navigate  Ctrl+U/D:Page  Tab:Page  1-4:Track  Enter:Edit  h:Help",
            "D-pad:Nav  X/Y:View  L2/R2:Track  A:Edit  Start:Play  Sel+B:Help"};
  } else if (view == View::Lfo && picker_open) {
    text = {"Type:Filter  Up/Down:Select  Enter:Confirm  Esc:Cancel",
            "D-pad:Select  A:Confirm  B:Cancel"};
  } else if (editing) {
    text = {"[/]:Fine  Left/Right:Adj  {/}:Coarse  Enter/Esc:Done", "D-pad:Adj  A/B:Done"};
  } else if (view == View::Synth) {
    text = {"Arrows:Navigate  Ctrl+U/D:Page  1-4:Track  Enter:Edit  h:Help",
            "D-pad:Nav  X/Y:View  L2/R2:Track  A:Edit  Sel+B:Help"};
  } else if (view == View::Fx) {
    text = {"Arrows:Navigate  Ctrl+L/R:View  1-4:Track  Enter:Edit  h:Help",
            "D-pad:Nav  X/Y:View  L2/R2:Track  A:Edit  Sel+B:Help"};
  } else if (view == View::Lfo) {
    text = {"Arrows:Navigate  Ctrl+L/R:View  Enter:Edit  h:Help",
            "D-pad:Nav  X/Y:View  L2/R2:Track  A:Edit  Sel+B:Help"};
  } else if (view == View::Mix) {
    text = {"Arrows:Navigate  Ctrl+L/R:View  1-4:Track  Enter:Edit  m:Mute  h:Help",
            "D-pad:Nav  X/Y:View  L2/R2:Track  A:Edit  Sel+A:Mute  Sel+B:Help"};
  } else {
    text = {"Arrows:Navigate  Ctrl+L/R:View  1-4:Track  Enter:Select  h:Help",
            "D-pad:Nav  X/Y:View  A:Select  Sel+B:Help"};
  }
  term::Paragraph({Line(gamepad ? text.gamepad : text.keyboard)})
      .style(Style{}.fg(theme.dim))
      .render(area, buffer);
}

void App::render_project_picker(const term::Rect& area, term::Buffer& buffer) const {
  std::vector<Line> lines;
  lines.emplace_back("QUORVELAN", Style{}.fg(theme.title).bold());
  lines.emplace_back("");
  lines.emplace_back("Select or create a project:");
  lines.emplace_back("");
  auto entry = [&](std::size_t row, const std::string& text) {
    if (row == project_row) {
      lines.emplace_back("> " + text, Style{}.fg(theme.selected_fg).bg(theme.selected_bg).bold());
    } else {
      lines.emplace_back("  " + text, Style{}.fg(theme.fg));
    }
  };
  constexpr std::size_t kFirstEntryLine = 4;
  entry(0, "+ New Project");
  for (std::size_t i = 0; i < project_list.size(); ++i) entry(i + 1, project_list[i]);
  lines.emplace_back("");
  lines.emplace_back(gamepad ? "D-pad: navigate  A: select  Sel+Start: quit"
                             : "Up/Down: navigate  Enter: select  Ctrl+Q: quit",
                     Style{}.fg(theme.dim));

  const term::Rect box = overlay_box::centred(
      area, kPickerWidth, static_cast<std::uint16_t>(std::min<std::size_t>(lines.size(), 65535)));
  // A list taller than the screen scrolls so that the selected entry stays in sight.
  const auto scroll = static_cast<std::uint16_t>(std::min<std::size_t>(
      widgets::first_visible(kFirstEntryLine + project_row, box.height), 65535));
  term::Paragraph(std::move(lines)).scroll(scroll).render(box, buffer);

  // A project that fails to load leaves the player on this screen: the reason shows in the row
  // where every other screen shows its status.
  if (auto shown = recent_status(*this)) {
    term::Paragraph({Line({Span(" "), std::move(*shown)})})
        .style(Style{}.bg(theme.status_bg))
        .render(frame_rows(area)[2], buffer);
  }
}

}  // namespace quorvelan::ui::app
