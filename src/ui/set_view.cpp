// The SET view: three bordered columns for the project, the audio output and MIDI, each a list of
// rows under the settings cursor.

#include <fmt/format.h>

#include <array>

#include "term/block.hpp"
#include "term/layout.hpp"
#include "term/paragraph.hpp"
#include "ui/app.hpp"
#include "ui/settings_rows.hpp"
#include "ui/widgets.hpp"

namespace quorvelan::ui::app {
namespace {

namespace rows = settings_rows;
using term::Constraint;
using term::Line;
using term::Style;

constexpr std::array<const char*, 3> kColumnTitles{"PROJECT", "AUDIO", "MIDI"};

// The one split of the body that both the drawing and the jump labels use.
std::vector<term::Rect> settings_columns(const term::Rect& body) {
  return term::split_horizontal(
      body, {Constraint::ratio(1, 3), Constraint::ratio(1, 3), Constraint::ratio(1, 3)});
}

std::string channel_text(std::uint8_t channel) {
  return channel == 0 ? std::string("Off") : std::to_string(channel);
}

// The lines of one column, with its selectable rows numbered as the cursor counts them.
class ColumnLines {
 public:
  ColumnLines(const App& app, std::uint8_t column)
      : theme_(app.theme),
        cursor_(app.column == column && app.row_nav ? std::optional<std::size_t>(app.settings_row)
                                                    : std::nullopt) {}

  void info(std::string text) { lines_.emplace_back(std::move(text), Style{}.fg(theme_.fg)); }

  void row(const std::string& text) {
    if (cursor_ == next_row_) {
      selected_line_ = lines_.size();
      lines_.emplace_back("> " + text, Style{}.fg(theme_.selected_fg).bg(theme_.selected_bg));
    } else {
      lines_.emplace_back("  " + text, Style{}.fg(theme_.fg));
    }
    ++next_row_;
  }

  // Drawn inside `area`, scrolled so that the selected row stays in sight.
  void render(const term::Rect& area, term::Buffer& buffer) && {
    const std::size_t scroll = widgets::first_visible(selected_line_, area.height);
    term::Paragraph(std::move(lines_))
        .scroll(static_cast<std::uint16_t>(std::min<std::size_t>(scroll, 65535)))
        .render(area, buffer);
  }

 private:
  const views::Theme& theme_;
  std::optional<std::size_t> cursor_;
  std::vector<Line> lines_;
  std::size_t next_row_ = 0;
  std::size_t selected_line_ = 0;
};

std::string marked(const std::string& text, bool current) { return current ? text + " *" : text; }

}  // namespace

void App::render_settings(term::Buffer& buffer, const term::Rect& body) const {
  const auto columns = settings_columns(body);
  std::array<ColumnLines, 3> contents{ColumnLines(*this, rows::kProjectColumn),
                                      ColumnLines(*this, rows::kAudioColumn),
                                      ColumnLines(*this, rows::kMidiColumn)};

  auto& project = contents[rows::kProjectColumn];
  project.row("Save Project");
  project.row("Load Project");
  if (project_name) project.info("Active: " + *project_name);

  auto& audio = contents[rows::kAudioColumn];
  audio.info("Output: " + current_device);
  if (output_devices.empty()) audio.info("  No devices found");
  for (const auto& device : output_devices) audio.row(marked(device, device == current_device));

  auto& midi = contents[rows::kMidiColumn];
  // A port list read before the ports changed may name another port at the connected position.
  auto is_connected = [this](std::size_t position) {
    return midi_input && midi_port_index == position &&
           midi_ports[position] == midi_input->port_name();
  };
  midi.info("Port: " + (midi_input ? midi_input->port_name() : std::string("None")));
  midi.row(marked("None", !midi_input));
  for (std::size_t port = 0; port < midi_ports.size(); ++port) {
    midi.row(marked(midi_ports[port], is_connected(port)));
  }
  for (std::size_t track = 0; track < kTrackCount; ++track) {
    midi.row(fmt::format("Trk {} Ch: {} [</>]", track + 1, channel_text(midi_channels[track])));
  }
  midi.row(fmt::format("Clock Sync: {}", clock_sync ? "On" : "Off"));

  for (std::uint8_t index = 0; index < columns.size(); ++index) {
    const bool focused = column == index;
    const Style title_style = focused && !row_nav
                                  ? Style{}.fg(theme.selected_fg).bg(theme.selected_bg)
                                  : Style{}.fg(theme.fg);
    const auto block = term::Block()
                           .borders(term::Borders::All)
                           .border_style(Style{}.fg(theme.border))
                           .title(Line(kColumnTitles[index], title_style));
    block.render(columns[index], buffer);
    std::move(contents[index]).render(block.inner(columns[index]), buffer);
  }
}

std::vector<LabelCell> App::settings_label_cells(const term::Rect& body) const {
  std::vector<LabelCell> cells;
  for (const auto& column_area : settings_columns(body)) {
    cells.push_back({static_cast<std::uint16_t>(column_area.x + 1), column_area.y});
  }
  return cells;
}

}  // namespace quorvelan::ui::app
