// The jump-label overlay (labels on their targets, the GOTO status row and the label list in the
// help row) and the help popup with the key tables for the keyboard and the gamepad.

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <span>

#include "term/block.hpp"
#include "term/clear.hpp"
#include "term/paragraph.hpp"
#include "term/width.hpp"
#include "ui/app.hpp"
#include "ui/overlay_box.hpp"

namespace quorvelan::ui::app {
namespace {

using term::Line;
using term::Span;
using term::Style;

constexpr std::uint16_t kLabelWidth = 3;  // "[a]"
constexpr std::size_t kListedLabels = 10;
constexpr std::uint16_t kHelpWidth = 62;
constexpr std::size_t kHelpKeyWidth = 16;

struct HelpRow {
  const char* key;
  const char* description;
};
struct HelpSection {
  const char* title;
  std::span<const HelpRow> rows;
};

constexpr std::array<HelpRow, 5> kGlobalKeys{{
    {"Ctrl+Q / Ctrl+C", "Quit application"},
    {"Ctrl+Left/Right", "Switch view"},
    {"Ctrl+Up/Down", "Switch synth page"},
    {"Ctrl+Y", "Copy current pattern"},
    {"Ctrl+V", "Paste pattern"},
}};
constexpr std::array<HelpRow, 4> kNavigationKeys{{
    {"Arrows", "Navigate fields"},
    {"Tab / Shift+Tab", "Switch sub-page (Synth)"},
    {"Enter", "Start editing field"},
    {"Esc", "Stop editing"},
}};
constexpr std::array<HelpRow, 4> kEditingKeys{{
    {"Left / Right", "Adjust value"},
    {"[ / ]", "Fine adjust"},
    {"{ / }", "Coarse adjust"},
    {"Enter / Esc", "Done editing"},
}};
constexpr std::array<HelpRow, 11> kNormalKeys{{
    {"Space", "Play / Stop"},
    {"q / w / e / r / t / y", "SEQ / SYNTH / FX / LFO / MIX / SET"},
    {"1 - 4", "Select track"},
    {"p / n", "Previous / Next pattern"},
    {"f > / d <", "BPM up / down"},
    {"m", "Mute / Unmute track"},
    {"T", "Toggle light / dark theme"},
    {"s", "Save preset / pattern"},
    {"l", "Load preset / pattern"},
    {"g", "EasyMotion jump (SEQ/SYNTH/FX/MIX)"},
    {"h", "Show this help"},
}};
// The octave of the piano keys is fixed, and the letters that are global keys play their note
// only with Shift held: the rows say so rather than promise keys that do something else here.
constexpr std::array<HelpRow, 9> kStepKeys{{
    {"Z-M / Q-U", "Play note (hold Shift on a taken key)"},
    {"Left / Right", "Move cursor by step"},
    {"Up / Down", "Adjust value"},
    {"Tab / Shift+Tab", "Move cursor by row"},
    {"Enter", "Toggle step on / off"},
    {"Delete / Bksp", "Clear step"},
    {"a", "Toggle accent"},
    {"[ / ]", "Coarse adjust"},
    {"Esc", "Return to navigation"},
}};
constexpr std::array<HelpRow, 2> kRecordKeys{{
    {"Z-M / Q-U", "Play and record note"},
    {"Space / Esc", "Stop recording"},
}};

constexpr std::array<HelpRow, 5> kGamepadGlobal{{
    {"Menu (hold Guide)", "Quit application"},
    {"X / Y", "Switch view"},
    {"L1 / R1", "Switch sub-page"},
    {"L2 / R2", "Track prev / next"},
    {"R-Stick Up/Down", "Volume up / down"},
}};
constexpr std::array<HelpRow, 3> kGamepadNavigation{{
    {"D-pad", "Navigate fields"},
    {"A", "Enter / Confirm"},
    {"B", "Back / Cancel"},
}};
constexpr std::array<HelpRow, 3> kGamepadEditing{{
    {"D-pad Left/Right", "Adjust value"},
    {"D-pad Up/Down", "Coarse adjust"},
    {"A / B", "Done editing"},
}};
constexpr std::array<HelpRow, 9> kGamepadNormal{{
    {"Start", "Play / Stop"},
    {"X / Y", "Cycle views"},
    {"Sel+D-pad", "Select track 1-4"},
    {"Sel+L1 / Sel+R1", "Prev / Next pattern"},
    {"Sel+Y / Sel+X", "BPM up / down"},
    {"Sel+A", "Mute / Unmute track"},
    {"Sel+L2", "Save"},
    {"Sel+R2", "Load"},
    {"Sel+B", "Show this help"},
}};
constexpr std::array<HelpRow, 4> kGamepadStep{{
    {"D-pad Left/Right", "Move cursor by step"},
    {"D-pad Up/Down", "Adjust note / value"},
    {"A", "Toggle step on / off"},
    {"B", "Return to navigation"},
}};
constexpr std::array<HelpRow, 2> kGamepadRecord{{
    {"D-pad", "Navigate"},
    {"Start / B", "Stop recording"},
}};

constexpr std::array<const char*, 6> kSectionTitles{
    "GLOBAL",     "NAVIGATION", "PARAMETER EDITING", "NORMAL MODE", "STEP EDITING (Sequencer)",
    "RECORD MODE"};

constexpr std::array<HelpSection, 6> kKeyboardHelp{{
    {kSectionTitles[0], kGlobalKeys},
    {kSectionTitles[1], kNavigationKeys},
    {kSectionTitles[2], kEditingKeys},
    {kSectionTitles[3], kNormalKeys},
    {kSectionTitles[4], kStepKeys},
    {kSectionTitles[5], kRecordKeys},
}};
constexpr std::array<HelpSection, 6> kGamepadHelp{{
    {kSectionTitles[0], kGamepadGlobal},
    {kSectionTitles[1], kGamepadNavigation},
    {kSectionTitles[2], kGamepadEditing},
    {kSectionTitles[3], kGamepadNormal},
    {kSectionTitles[4], kGamepadStep},
    {kSectionTitles[5], kGamepadRecord},
}};

constexpr term::Color kHelpBackgroundDark = term::Color::hex(0x1E1E2E);
constexpr term::Color kHelpBackgroundLight = term::Color::hex(0xE6E9EF);

// Draws one line in place of whatever a row held.
void replace_row(const term::Rect& row, Line line, const Style& background, term::Buffer& buffer) {
  term::Clear{}.render(row, buffer);
  term::Paragraph({std::move(line)}).style(background).render(row, buffer);
}

std::vector<Line> help_lines(const views::Theme& theme, bool gamepad) {
  std::vector<Line> lines;
  for (const auto& section : gamepad ? kGamepadHelp : kKeyboardHelp) {
    if (!lines.empty()) lines.emplace_back("");
    lines.emplace_back(fmt::format("  {}", section.title), Style{}.fg(theme.title).bold());
    for (const auto& [key, description] : section.rows) {
      lines.emplace_back(std::vector<Span>{
          Span("    " + term::pad_right(key, kHelpKeyWidth), Style{}.fg(theme.fg)),
          Span(description, Style{}.fg(theme.dim))});
    }
  }
  return lines;
}

}  // namespace

void App::render_jump_overlay(term::Buffer& buffer, const term::Rect& screen) const {
  const auto rows = frame_rows(screen);
  const auto positions = easymotion_positions(rows[1], *this);
  const Style label_style = Style{}.fg(term::colors::white).bg(term::colors::magenta).bold();
  for (const auto& position : positions) {
    const term::Rect label{position.x, position.y, kLabelWidth, 1};
    if (label.right() > screen.right() || label.y >= screen.bottom()) continue;
    term::Clear{}.render(label, buffer);
    buffer.set_string(label.x, label.y, fmt::format("[{}]", term::encode_utf8(position.label)),
                      kLabelWidth, label_style);
  }

  replace_row(rows[2],
              Line(std::vector<Span>{
                  Span(" GOTO ", Style{}.fg(term::colors::black).bg(term::colors::magenta).bold()),
                  Span("  Press label to jump  "), Span("Esc", Style{}.bold()), Span(": cancel")}),
              Style{}.bg(theme.status_bg), buffer);

  std::vector<Span> listed;
  for (std::size_t k = 0; k < positions.size() && k < kListedLabels; ++k) {
    const auto label = positions[k].label;
    const auto target = std::ranges::find(jump_targets, label, &EasyMotionTarget::label);
    listed.emplace_back(fmt::format(" [{}]{} ", term::encode_utf8(label),
                                    target != jump_targets.end() ? target->name : ""),
                        Style{}.fg(theme.fg));
  }
  if (positions.size() > kListedLabels) {
    listed.emplace_back(fmt::format(" +{} more", positions.size() - kListedLabels),
                        Style{}.fg(theme.fg));
  }
  replace_row(rows[3], Line(std::move(listed)), Style{}.bg(theme.bg), buffer);
}

void App::render_help_popup(term::Buffer& buffer, const term::Rect& screen) const {
  auto lines = help_lines(theme, gamepad);
  const std::size_t total = lines.size();
  const auto width = std::min(overlay_box::minus(screen.width, 4), kHelpWidth);
  const auto height = static_cast<std::uint16_t>(
      std::min<std::size_t>(overlay_box::minus(screen.height, 2), total + 2));
  const term::Rect area = overlay_box::centred(screen, width, height);
  const std::size_t visible = overlay_box::minus(height, 2);

  std::string closing;
  std::size_t scroll = 0;
  if (total <= visible) {
    closing = gamepad ? " B / Sel+B: close " : " Esc/h: close ";
  } else {
    scroll = std::min<std::size_t>(help_scroll, total - visible);
    const auto position = fmt::format(" {}/{} ", scroll + visible, total);
    closing = gamepad ? fmt::format(" B:close  D-pad:scroll {} ", position)
                      : fmt::format(" Esc:close  Up/Down:scroll {} ", position);
  }

  term::Clear{}.render(area, buffer);
  const auto block =
      term::Block()
          .borders(term::Borders::All)
          .style(Style{}.bg(theme.light ? kHelpBackgroundLight : kHelpBackgroundDark))
          .border_style(Style{}.fg(theme.border))
          .title(Line(gamepad ? " Help - Gamepad Controls " : " Help - Keybindings ",
                      Style{}.fg(theme.title).bold()))
          .title_bottom(Line(closing, Style{}.fg(theme.dim)));
  block.render(area, buffer);
  term::Paragraph(std::move(lines))
      .scroll(static_cast<std::uint16_t>(scroll))
      .render(block.inner(area), buffer);
}

}  // namespace quorvelan::ui::app
