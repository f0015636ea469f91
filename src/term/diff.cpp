#include "term/diff.hpp"

#include <fmt/format.h>

#include <iterator>

namespace quorvelan::term {

namespace {

// The SGR parameter of a palette colour: foreground base 30, background base 40.
int palette_code(Color::Kind kind) {
  switch (kind) {
    case Color::Kind::Black:
      return 0;
    case Color::Kind::Red:
      return 1;
    case Color::Kind::Green:
      return 2;
    case Color::Kind::Magenta:
      return 5;
    case Color::Kind::Cyan:
      return 6;
    case Color::Kind::White:
      return 7;
    case Color::Kind::Reset:
    case Color::Kind::Rgb:
      break;
  }
  return 9;  // the terminal's default colour
}

void append_color(std::string& out, const Color& color, int base) {
  if (color.kind == Color::Kind::Reset) return;  // the leading reset already chose the default
  if (color.is_rgb()) {
    fmt::format_to(std::back_inserter(out), ";{};2;{};{};{}", base + 8, color.r, color.g, color.b);
  } else {
    fmt::format_to(std::back_inserter(out), ";{}", base + palette_code(color.kind));
  }
}

void append_sgr(std::string& out, const Cell& cell) {
  out += "\x1b[0";
  if (contains(cell.modifiers, Modifier::Bold)) out += ";1";
  if (contains(cell.modifiers, Modifier::Underlined)) out += ";4";
  if (contains(cell.modifiers, Modifier::Reversed)) out += ";7";
  append_color(out, cell.foreground, 30);
  append_color(out, cell.background, 40);
  out += 'm';
}

bool same_look(const Cell& a, const Cell& b) {
  return a.foreground == b.foreground && a.background == b.background && a.modifiers == b.modifiers;
}

}  // namespace

std::string diff(const Buffer& previous, const Buffer& next) {
  static const Cell blank;
  std::string out;
  const Rect& area = next.area();
  const Cell* look = nullptr;  // the look last sent, or none yet
  int cursor_x = -1;
  int cursor_y = -1;
  for (int y = area.y; y < area.bottom(); ++y) {
    for (int x = area.x; x < area.right(); ++x) {
      const Cell& now = *next.cell(x, y);
      const Cell* before = previous.cell(x, y);
      // The second half of a wide grapheme is drawn by its first half.
      if (now.symbol.empty() || now == (before ? *before : blank)) continue;
      if (x != cursor_x || y != cursor_y)
        fmt::format_to(std::back_inserter(out), "\x1b[{};{}H", y + 1, x + 1);
      if (look == nullptr || !same_look(*look, now)) append_sgr(out, now);
      look = &now;
      out += now.symbol;
      const Cell* after = next.cell(x + 1, y);
      const bool wide = after != nullptr && after->symbol.empty();
      cursor_x = x + (wide ? 2 : 1);
      cursor_y = y;
      if (wide) ++x;
    }
  }
  if (look != nullptr) out += "\x1b[0m";
  return out;
}

}  // namespace quorvelan::term
