#pragma once
// The keys that change a value while a field is being edited, shared by every editing view:
// Left/Right for small steps, Up/Down for larger ones, [ and ] for fine and { and } for coarse
// ones. Right, Up, ] and } go up; Left, Down, [ and { go down.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "term/keys.hpp"

namespace quorvelan::ui::edit_keys {

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

}  // namespace quorvelan::ui::edit_keys
