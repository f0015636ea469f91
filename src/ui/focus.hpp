#pragma once
// The markers that show where the keys go: on a panel's title, and before a row.

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

}  // namespace quorvelan::ui::focus
