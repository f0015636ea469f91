#pragma once
// The keys every editing view shares. While nothing is edited the arrows move a cursor over
// columns and rows. While a field is edited, Left/Right change it in small steps, Up/Down in
// larger ones, [ and ] in fine and { and } in coarse ones (Right, Up, ] and } go up), and Enter or
// Esc ends the editing. The text fields of the dialogs and the target picker share the typing
// keys and the Up/Down list cursor.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "term/keys.hpp"

namespace quorvelan::ui::edit_keys {

// What an arrow key did to the cursor.
enum class Move : std::uint8_t { None, Column, Row };

// Left/Right step `column` within 0..last_column and put `row` back to 0; Up/Down step `row`
// within 0..last_row. A column beyond the last counts as the last.
constexpr Move move_cursor(const term::KeyEvent& key, std::uint8_t& column,
                           std::uint8_t last_column, std::uint8_t& row, std::uint8_t last_row) {
  const std::uint8_t at = std::min(column, last_column);
  switch (key.code) {
    case term::KeyCode::Left:
    case term::KeyCode::Right:
      column = key.code == term::KeyCode::Left ? (at > 0 ? at - 1 : 0)
                                               : std::min<std::uint8_t>(at + 1, last_column);
      row = 0;
      return Move::Column;
    case term::KeyCode::Up:
      if (row > 0) --row;
      return Move::Row;
    case term::KeyCode::Down:
      row = std::min<std::uint8_t>(row + 1, last_row);
      return Move::Row;
    default:
      return Move::None;
  }
}

constexpr bool ends_editing(const term::KeyEvent& key) {
  return key.code == term::KeyCode::Enter || key.code == term::KeyCode::Esc;
}

// Which pair of keys was pressed; the index into per-pair amount tables.
enum class Pair : std::uint8_t { LeftRight, UpDown, Brackets, Braces };

struct Stroke {
  Pair pair = Pair::LeftRight;
  int sign = 1;  // +1 up, -1 down
};

// The stroke a key makes, or nothing for any other key.
constexpr std::optional<Stroke> stroke(const term::KeyEvent& key) {
  using term::KeyCode;
  switch (key.code) {
    case KeyCode::Left: return Stroke{Pair::LeftRight, -1};
    case KeyCode::Right: return Stroke{Pair::LeftRight, 1};
    case KeyCode::Down: return Stroke{Pair::UpDown, -1};
    case KeyCode::Up: return Stroke{Pair::UpDown, 1};
    case KeyCode::Char:
      switch (key.character) {
        case U'[': return Stroke{Pair::Brackets, -1};
        case U']': return Stroke{Pair::Brackets, 1};
        case U'{': return Stroke{Pair::Braces, -1};
        case U'}': return Stroke{Pair::Braces, 1};
        default: return std::nullopt;
      }
    default: return std::nullopt;
  }
}

// How far one stroke moves a value, in amounts per pair (Left/Right, Up/Down, [ ], { }).
using Amounts = std::array<float, 4>;
constexpr float amount(const Amounts& amounts, Stroke s) {
  return amounts[static_cast<std::size_t>(s.pair)] * static_cast<float>(s.sign);
}

// The number of steps a stroke moves a parameter of the SYNTH, FX and MIX views.
inline constexpr Amounts kStepDeltas{1.0f, 5.0f, 0.25f, 5.0f};
constexpr std::optional<float> delta(const term::KeyEvent& key) {
  auto s = stroke(key);
  if (!s) return std::nullopt;
  return amount(kStepDeltas, *s);
}

// A parameter's step and limits: a delta of n moves it by n steps, then it is clamped.
struct StepRange {
  float step;
  float low;
  float high;
};
constexpr float stepped(float value, float delta, const StepRange& range) {
  return std::clamp(value + delta * range.step, range.low, range.high);
}

// One of `count` values (an enum, or a number counted from 0) moved `step` places, wrapping at
// both ends.
template <typename Value>
constexpr Value wrapped(Value value, int step, int count) {
  return static_cast<Value>((static_cast<int>(value) + step % count + count) % count);
}

// A key that types its character: Ctrl and Alt chords are commands, not text.
constexpr bool is_typed(const term::KeyEvent& key) {
  return key.code == term::KeyCode::Char && !key.has(term::KeyModifier::Ctrl) &&
         !key.has(term::KeyModifier::Alt);
}

// Drops the last character of typed UTF-8 text, with all of its bytes.
inline void pop_character(std::string& text) {
  if (text.empty()) return;
  std::size_t at = text.size() - 1;
  while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
  text.erase(at);
}

// Up and Down move a list cursor one entry inside a list of `count` entries.
constexpr void move_in_list(std::size_t& cursor, const term::KeyEvent& key, std::size_t count) {
  if (key.code == term::KeyCode::Up && cursor > 0) --cursor;
  if (key.code == term::KeyCode::Down && cursor + 1 < count) ++cursor;
}

}  // namespace quorvelan::ui::edit_keys
