#pragma once
// The markers that show where the keys go: on a panel's title, and before a row.

#include <fmt/format.h>

#include <string_view>

#include "term/block.hpp"
#include "term/style.hpp"

namespace quorvelan::ui::focus {

// " > " while the focused panel takes the row keys, " * " while it is focused otherwise, a blank
// when it is not focused.
constexpr const char* panel_marker(bool focused, bool row_nav) {
  if (!focused) return " ";
  return row_nav ? " > " : " * ";
}

// ">>" on the row being edited, "> " on the selected row, two blanks on every other row.
constexpr const char* row_marker(bool selected, bool editing) {
  if (!selected) return "  ";
  return editing ? ">>" : "> ";
}

// A panel with rounded borders in `color`, titled with its marker and name; the title is bold
// while the focused panel takes the row keys.
inline term::Block panel_block(std::string_view name, bool focused, bool row_nav,
                               term::Color color) {
  const auto style = term::Style{}.fg(color);
  return term::Block()
      .borders(term::Borders::All)
      .border_style(style)
      .title(term::Line(fmt::format("{}{} ", panel_marker(focused, row_nav), name),
                        focused && row_nav ? style.bold() : style));
}

}  // namespace quorvelan::ui::focus
