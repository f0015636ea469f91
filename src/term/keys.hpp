#pragma once
// Key events decoded from terminal input bytes (through libtermkey).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "term/key_sequence.hpp"

struct TermKey;

namespace quorvelan::term {

enum class KeyCode : std::uint8_t {
  Char,  // `character` holds the code point, in the case it was typed
  Enter,
  Esc,
  Backspace,
  Tab,
  BackTab,
  Left,
  Right,
  Up,
  Down,
  Home,
  End,
  PageUp,
  PageDown,
  Delete,
  F,  // `function` holds 1 to 4
};

// Bit flags.
enum class KeyModifier : std::uint8_t { None = 0, Shift = 1, Alt = 2, Ctrl = 4 };

constexpr KeyModifier operator|(KeyModifier a, KeyModifier b) {
  return static_cast<KeyModifier>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}

struct KeyEvent {
  KeyCode code = KeyCode::Char;
  char32_t character = 0;
  std::uint8_t function = 0;
  KeyModifier modifiers = KeyModifier::None;

  [[nodiscard]] constexpr bool has(KeyModifier modifier) const {
    return (static_cast<std::uint8_t>(modifiers) & static_cast<std::uint8_t>(modifier)) != 0;
  }
  // The character `c`, whatever modifiers are held.
  [[nodiscard]] constexpr bool is_char(char32_t c) const {
    return code == KeyCode::Char && character == c;
  }
  // The character `c` with exactly the Ctrl modifier.
  [[nodiscard]] constexpr bool is_ctrl(char32_t c) const {
    return is_char(c) && modifiers == KeyModifier::Ctrl;
  }

  friend constexpr bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

// The terminal window changed size.
struct ResizeEvent {
  friend constexpr bool operator==(const ResizeEvent&, const ResizeEvent&) = default;
};

// Input that is no key the application handles (F5 and above, Insert, pasted text, mouse and
// focus reports, unknown sequences): consumed whole, for the application to drop.
struct OtherEvent {
  friend constexpr bool operator==(const OtherEvent&, const OtherEvent&) = default;
};

using Event = std::variant<KeyEvent, ResizeEvent, OtherEvent>;

// Turns input bytes into events. Bytes arrive in any chunks; a sequence split across chunks waits
// for its rest. A lone ESC (or ESC with one more byte) stays pending because it may begin a longer
// sequence: after a short wait with no more input, `flush` decides it (Esc, or Alt+key). Pasted
// text and sequences longer than any key are dropped as they arrive, so what is held stays small
// and every byte is looked at a bounded number of times.
class KeyDecoder {
 public:
  // `terminal_name` picks the terminfo entry for keys outside the standard sequences.
  explicit KeyDecoder(const char* terminal_name);
  ~KeyDecoder();
  KeyDecoder(const KeyDecoder&) = delete;
  KeyDecoder& operator=(const KeyDecoder&) = delete;

  void push(std::string_view bytes);

  // The next event from complete input, or nothing when none is complete yet.
  std::optional<Event> next();

  // Input has paused: nothing pending waits for its rest any longer. Gives the next event that
  // the pending bytes make; nothing when none are pending, or when they are the rest of a
  // sequence already reported (a paste that lost its end is over).
  std::optional<Event> flush();

  [[nodiscard]] bool has_pending() const {
    return tail_ != SequenceTail::None || taken_ < pending_.size();
  }
  // Pasted text is being dropped. A terminal sends a paste in one burst, but a slow link may
  // split it: a pause inside a paste may be longer than one inside a key's sequence.
  [[nodiscard]] bool in_paste() const { return tail_ == SequenceTail::Paste; }

 private:
  Event decode(std::string_view sequence);

  struct TermKeyDeleter {
    void operator()(TermKey* termkey) const;
  };
  std::unique_ptr<TermKey, TermKeyDeleter> termkey_;
  std::string pending_;
  std::size_t taken_ = 0;  // bytes at the front of `pending_` already decoded
  SequenceTail tail_ = SequenceTail::None;
};

}  // namespace quorvelan::term
