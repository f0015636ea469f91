// The drawing of the save and load dialog and the preset browser: a framed box centred on the
// screen, over whatever view is open, clipped to the screen however small it is.

#include <algorithm>
#include <array>

#include "term/block.hpp"
#include "term/clear.hpp"
#include "term/paragraph.hpp"
#include "term/width.hpp"
#include "ui/app.hpp"
#include "ui/dialog_grid.hpp"
#include "ui/overlay_box.hpp"
#include "ui/widgets.hpp"

namespace quorvelan::ui::app {
namespace {

using overlay_box::centred;
using overlay_box::minus;
using term::Line;
using term::Span;
using term::Style;

constexpr std::uint16_t kDialogWidth = 45;
constexpr std::uint16_t kBrowserWidth = 50;
constexpr std::uint16_t kScreenMargin = 4;  // columns and rows left free around a box
constexpr std::uint16_t kMenuHeight = 5;
constexpr std::uint16_t kBorders = 2;
constexpr std::size_t kSmallestListBox = 4;
constexpr std::array<const char*, 3> kTargetNames{"Pattern", "Synth Preset", "Project"};

std::uint16_t box_width(const term::Rect& screen, std::uint16_t widest) {
  return std::min(minus(screen.width, kScreenMargin), widest);
}

// A list box: its lines and borders, no taller than the screen less its margin, never below
// four rows.
std::uint16_t list_box_height(const term::Rect& screen, std::size_t lines) {
  const std::size_t wanted =
      std::min<std::size_t>(lines + kBorders, minus(screen.height, kScreenMargin));
  return static_cast<std::uint16_t>(std::max(wanted, kSmallestListBox));
}

Line entry_line(const views::Theme& theme, const std::string& text, bool selected) {
  if (selected) return Line("> " + text, Style{}.fg(theme.title).bold());
  return Line("  " + text, Style{}.fg(theme.fg));
}

// At most `rows` entries of a list, scrolled so that the one under the cursor is among them.
template <class Text>
void append_entries(std::vector<Line>& lines, const views::Theme& theme, std::size_t count,
                    std::size_t cursor, std::size_t rows, Text&& text_of) {
  const std::size_t first = widgets::first_visible(cursor, rows);
  for (std::size_t i = first; i < count && i < first + rows; ++i) {
    lines.push_back(entry_line(theme, text_of(i), i == cursor));
  }
}

// Clears the box and frames it; the area inside the frame.
term::Rect draw_frame(term::Buffer& buffer, const term::Rect& box, std::string title,
                      const views::Theme& theme) {
  term::Clear{}.render(box, buffer);
  term::Block block;
  block.borders(term::Borders::All)
      .style(Style{}.fg(theme.fg).bg(theme.bg))
      .border_style(Style{}.fg(theme.border))
      .title(Line(std::move(title), Style{}.fg(theme.title)));
  block.render(box, buffer);
  return block.inner(box);
}

// The end of the text that fits in `width` columns, so the end being typed stays in sight.
std::string tail_fitting(const std::string& text, std::size_t width) {
  auto graphemes = term::graphemes(text);
  std::size_t shown = 0;
  std::size_t first = graphemes.size();
  while (first > 0 && shown + static_cast<std::size_t>(graphemes[first - 1].width) <= width) {
    shown += static_cast<std::size_t>(graphemes[--first].width);
  }
  std::string tail;
  for (std::size_t i = first; i < graphemes.size(); ++i) tail += graphemes[i].symbol;
  return tail;
}

std::vector<Line> grid_lines(const views::Theme& theme, std::uint8_t cursor) {
  std::vector<Line> lines;
  const auto& characters = dialog_grid::kCharacters;
  for (std::size_t row = 0; row * dialog_grid::kColumns < characters.size(); ++row) {
    std::vector<Span> cells;
    for (std::size_t i = row * dialog_grid::kColumns;
         i < std::min(characters.size(), (row + 1) * dialog_grid::kColumns); ++i) {
      std::string shown = characters[i] == ' ' ? "␣" : std::string(1, characters[i]);
      Style style = i == cursor ? Style{}.fg(theme.selected_fg).bg(theme.selected_bg).bold()
                                : Style{}.fg(theme.fg);
      cells.emplace_back(" " + shown + " ", style);
    }
    lines.emplace_back(std::move(cells));
  }
  return lines;
}

}  // namespace

void App::render_file_dialog(term::Buffer& buffer, const term::Rect& screen) const {
  const auto target = static_cast<std::size_t>(dialog_target) % kTargetNames.size();
  const std::string target_name = kTargetNames[target];

  if (dialog_stage == DialogStage::TargetMenu) {
    const auto box = centred(screen, box_width(screen, kDialogWidth), kMenuHeight);
    const auto inner = draw_frame(buffer, box, dialog_is_load ? " Load " : " Save ", theme);
    std::vector<Line> lines;
    append_entries(lines, theme, kTargetNames.size(), dialog_file_index, kTargetNames.size(),
                   [](std::size_t i) { return std::string(kTargetNames[i]); });
    term::Paragraph(std::move(lines)).render(inner, buffer);
    return;
  }

  if (dialog_stage == DialogStage::NameEntry) {
    std::vector<Line> lines;
    const std::uint16_t width = box_width(screen, kDialogWidth);
    lines.emplace_back(tail_fitting(dialog_name + "_", minus(width, kBorders)),
                       Style{}.fg(theme.fg));
    if (gamepad) {
      lines.emplace_back("");
      for (auto& row : grid_lines(theme, grid_cursor)) lines.push_back(std::move(row));
      lines.emplace_back("");
      lines.emplace_back("A:Add  B:Del  Start:OK", Style{}.fg(theme.dim));
    }
    const auto height = static_cast<std::uint16_t>(lines.size() + kBorders);
    const auto inner =
        draw_frame(buffer, centred(screen, width, height), " Save " + target_name + " ", theme);
    term::Paragraph(std::move(lines)).render(inner, buffer);
    return;
  }

  if (dialog_target != FileTarget::SynthPreset) {
    const std::size_t count = std::max<std::size_t>(dialog_files.size(), 1);
    const auto box =
        centred(screen, box_width(screen, kDialogWidth), list_box_height(screen, count));
    const auto inner = draw_frame(buffer, box, " Load " + target_name + " ", theme);
    std::vector<Line> lines;
    if (dialog_files.empty()) lines.emplace_back("No files found", Style{}.fg(theme.dim));
    append_entries(lines, theme, dialog_files.size(), dialog_file_index, inner.height,
                   [this](std::size_t i) { return dialog_files[i]; });
    term::Paragraph(std::move(lines)).render(inner, buffer);
    return;
  }

  const std::uint16_t width = box_width(screen, kBrowserWidth);
  std::vector<Line> lines;
  if (!in_presets || bank_index >= banks.size()) {
    const auto box =
        centred(screen, width, list_box_height(screen, std::max<std::size_t>(banks.size(), 1)));
    const auto inner = draw_frame(buffer, box, " Select Bank ", theme);
    if (banks.empty()) lines.emplace_back("No banks found", Style{}.fg(theme.dim));
    append_entries(lines, theme, banks.size(), bank_index, inner.height, [this](std::size_t i) {
      return banks[i].name + " (" + std::to_string(banks[i].presets.size()) + ")";
    });
    term::Paragraph(std::move(lines)).render(inner, buffer);
    return;
  }

  const auto& bank = banks[bank_index];
  const std::size_t count = std::max<std::size_t>(filtered_presets.size(), 1) + 1;
  const auto box = centred(screen, width, list_box_height(screen, count));
  const auto inner = draw_frame(buffer, box, " " + bank.name + " Presets ", theme);
  if (preset_filter.empty()) {
    lines.emplace_back("Type to filter...", Style{}.fg(theme.dim));
  } else {
    lines.emplace_back(preset_filter, Style{}.fg(theme.fg));
  }
  if (filtered_presets.empty()) lines.emplace_back("No matching presets", Style{}.fg(theme.dim));
  append_entries(lines, theme, filtered_presets.size(), preset_index, minus(inner.height, 1),
                 [&](std::size_t i) {
                   const std::size_t preset = filtered_presets[i];
                   return preset < bank.presets.size() ? bank.presets[preset] : std::string{};
                 });
  term::Paragraph(std::move(lines)).render(inner, buffer);
}

}  // namespace quorvelan::ui::app
