#pragma once
// Colours, text modifiers and styles: the look of one terminal cell.

#include <cstdint>
#include <optional>

namespace quorvelan::term {

struct Color {
  // Reset is the terminal's own default colour; the named ones are the terminal's palette entries,
  // so their exact shade depends on the user's terminal theme.
  enum class Kind : std::uint8_t { Reset, Black, Red, Green, Magenta, Cyan, White, Rgb };

  Kind kind = Kind::Reset;
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;

  static constexpr Color rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return Color{Kind::Rgb, red, green, blue};
  }
  // 0xRRGGBB, the form colour tables are written in.
  static constexpr Color hex(std::uint32_t value) {
    return rgb(static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
               static_cast<std::uint8_t>(value));
  }
  [[nodiscard]] constexpr bool is_rgb() const { return kind == Kind::Rgb; }

  friend constexpr bool operator==(const Color&, const Color&) = default;
};

namespace colors {
inline constexpr Color reset{};
inline constexpr Color black{Color::Kind::Black};
inline constexpr Color red{Color::Kind::Red};
inline constexpr Color green{Color::Kind::Green};
inline constexpr Color magenta{Color::Kind::Magenta};
inline constexpr Color cyan{Color::Kind::Cyan};
inline constexpr Color white{Color::Kind::White};
}  // namespace colors

// A set of text modifiers (bit flags).
enum class Modifier : std::uint8_t { None = 0, Bold = 1, Underlined = 2, Reversed = 4 };

constexpr Modifier operator|(Modifier a, Modifier b) {
  return static_cast<Modifier>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}
constexpr Modifier operator&(Modifier a, Modifier b) {
  return static_cast<Modifier>(static_cast<std::uint8_t>(a) & static_cast<std::uint8_t>(b));
}
constexpr Modifier operator~(Modifier a) {
  return static_cast<Modifier>(~static_cast<std::uint8_t>(a) & 0x07);
}
constexpr bool contains(Modifier set, Modifier flag) { return (set & flag) == flag; }

// A change to a cell's look. Unset colours and modifiers that are neither added nor removed leave
// what the cell already has, so a style drawn over another only overrides what it names.
struct Style {
  std::optional<Color> foreground;
  std::optional<Color> background;
  Modifier added = Modifier::None;
  Modifier removed = Modifier::None;

  [[nodiscard]] constexpr Style fg(Color color) const {
    Style s = *this;
    s.foreground = color;
    return s;
  }
  [[nodiscard]] constexpr Style bg(Color color) const {
    Style s = *this;
    s.background = color;
    return s;
  }
  [[nodiscard]] constexpr Style add_modifier(Modifier modifier) const {
    Style s = *this;
    s.added = s.added | modifier;
    s.removed = s.removed & ~modifier;
    return s;
  }
  [[nodiscard]] constexpr Style remove_modifier(Modifier modifier) const {
    Style s = *this;
    s.removed = s.removed | modifier;
    s.added = s.added & ~modifier;
    return s;
  }
  [[nodiscard]] constexpr Style bold() const { return add_modifier(Modifier::Bold); }

  friend constexpr bool operator==(const Style&, const Style&) = default;
};

}  // namespace quorvelan::term
