#include "term/keys.hpp"

#include <termkey.h>

#include <cstring>
#include <new>
#include <type_traits>

namespace quorvelan::term {

namespace {

constexpr int termkey_flags =
    TERMKEY_FLAG_UTF8 | TERMKEY_FLAG_NOTERMIOS | TERMKEY_FLAG_CTRLC | TERMKEY_FLAG_CONVERTKP;

KeyEvent key(KeyCode code, int modifiers) {
  return KeyEvent{code, 0, 0, static_cast<KeyModifier>(modifiers & 7)};
}

std::optional<KeyEvent> from_symbol(TermKeySym sym, int modifiers) {
  switch (sym) {
    case TERMKEY_SYM_BACKSPACE:
    case TERMKEY_SYM_DEL:
      return key(KeyCode::Backspace, modifiers);
    case TERMKEY_SYM_TAB:
      return key((modifiers & TERMKEY_KEYMOD_SHIFT) != 0 ? KeyCode::BackTab : KeyCode::Tab,
                 modifiers);
    case TERMKEY_SYM_ENTER:
      return key(KeyCode::Enter, modifiers);
    case TERMKEY_SYM_ESCAPE:
      return key(KeyCode::Esc, modifiers);
    case TERMKEY_SYM_SPACE:
      return KeyEvent{KeyCode::Char, U' ', 0, static_cast<KeyModifier>(modifiers & 7)};
    case TERMKEY_SYM_UP:
      return key(KeyCode::Up, modifiers);
    case TERMKEY_SYM_DOWN:
      return key(KeyCode::Down, modifiers);
    case TERMKEY_SYM_LEFT:
      return key(KeyCode::Left, modifiers);
    case TERMKEY_SYM_RIGHT:
      return key(KeyCode::Right, modifiers);
    case TERMKEY_SYM_HOME:
    case TERMKEY_SYM_FIND:  // ESC [1~, Home on VT220-style keyboards
      return key(KeyCode::Home, modifiers);
    case TERMKEY_SYM_END:
    case TERMKEY_SYM_SELECT:  // ESC [4~, End on VT220-style keyboards
      return key(KeyCode::End, modifiers);
    case TERMKEY_SYM_PAGEUP:
      return key(KeyCode::PageUp, modifiers);
    case TERMKEY_SYM_PAGEDOWN:
      return key(KeyCode::PageDown, modifiers);
    case TERMKEY_SYM_DELETE:
      return key(KeyCode::Delete, modifiers);
    default:
      return std::nullopt;
  }
}

// libtermkey fills its enumerations from tables indexed by input bytes: a field is read as a
// plain integer and refused outside the enumeration, since loading such a value as the enum type
// is undefined behaviour.
template <class Enum>
std::optional<Enum> checked(const Enum& field, int first, int last) {
  std::underlying_type_t<Enum> raw;
  std::memcpy(&raw, &field, sizeof raw);
  if (raw < first || raw > last) return std::nullopt;
  return static_cast<Enum>(raw);
}

bool is_scalar_value(long code_point) {
  return code_point >= 0 && code_point <= 0x10FFFF && (code_point < 0xD800 || code_point > 0xDFFF);
}

std::optional<KeyEvent> from_termkey(const TermKeyKey& k) {
  const auto type = checked(k.type, TERMKEY_TYPE_UNKNOWN_CSI, TERMKEY_TYPE_OSC);
  if (!type) return std::nullopt;
  switch (*type) {
    case TERMKEY_TYPE_UNICODE: {
      if (!is_scalar_value(k.code.codepoint)) return std::nullopt;
      // 0x08 arrives as Ctrl+h: it is the Backspace key of many terminals.
      if (k.code.codepoint == 'h' && (k.modifiers & TERMKEY_KEYMOD_CTRL) != 0) {
        return key(KeyCode::Backspace, k.modifiers & ~TERMKEY_KEYMOD_CTRL);
      }
      return KeyEvent{KeyCode::Char, static_cast<char32_t>(k.code.codepoint), 0,
                      static_cast<KeyModifier>(k.modifiers & 7)};
    }
    case TERMKEY_TYPE_KEYSYM: {
      const auto sym = checked(k.code.sym, TERMKEY_SYM_UNKNOWN, TERMKEY_N_SYMS - 1);
      if (!sym) return std::nullopt;
      return from_symbol(*sym, k.modifiers);
    }
    case TERMKEY_TYPE_FUNCTION:
      if (k.code.number >= 1 && k.code.number <= 4) {
        return KeyEvent{KeyCode::F, 0, static_cast<std::uint8_t>(k.code.number),
                        static_cast<KeyModifier>(k.modifiers & 7)};
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

}  // namespace

void KeyDecoder::TermKeyDeleter::operator()(TermKey* termkey) const { termkey_destroy(termkey); }

KeyDecoder::KeyDecoder(const char* terminal_name) {
  termkey_.reset(termkey_new_abstract(terminal_name, termkey_flags));
  if (!termkey_) throw std::bad_alloc();  // it fails only when out of memory
  termkey_set_canonflags(termkey_.get(), 0);
}

KeyDecoder::~KeyDecoder() = default;

void KeyDecoder::push(std::string_view bytes) {
  pending_.erase(0, taken_);
  taken_ = 0;
  pending_.append(bytes);
}

std::optional<Event> KeyDecoder::next() {
  for (;;) {
    const std::string_view rest = std::string_view(pending_).substr(taken_);
    if (tail_ != SequenceTail::None) {
      const TailSplit split = split_tail(tail_, rest);
      taken_ += split.length;
      if (!split.ended) return std::nullopt;
      tail_ = SequenceTail::None;
      continue;
    }
    if (rest.empty()) return std::nullopt;
    const SequenceSplit split = split_sequence(rest);
    if (split.kind == SequenceSplit::Kind::Incomplete) return std::nullopt;
    taken_ += split.length;
    tail_ = split.tail;
    if (split.kind == SequenceSplit::Kind::Key) return decode(rest.substr(0, split.length));
    return OtherEvent{};
  }
}

std::optional<Event> KeyDecoder::flush() {
  if (auto event = next()) return event;
  const std::string_view rest = std::string_view(pending_).substr(taken_);
  std::optional<Event> event;
  // A tail's sequence was reported when it began; what came of its end marker goes with it.
  if (tail_ == SequenceTail::None && !rest.empty()) {
    // ESC, or ESC and one ASCII byte: the Esc key or Alt with that key. Anything longer is a
    // sequence or a character cut short, and is dropped.
    const bool key =
        rest[0] == '\x1b' &&
        (rest.size() == 1 || (rest.size() == 2 && static_cast<unsigned char>(rest[1]) < 0x80));
    event = key ? decode(rest) : Event{OtherEvent{}};
  }
  pending_.clear();
  taken_ = 0;
  tail_ = SequenceTail::None;
  return event;
}

Event KeyDecoder::decode(std::string_view sequence) {
  TermKey* tk = termkey_.get();
  termkey_push_bytes(tk, sequence.data(), sequence.size());
  std::optional<KeyEvent> first;
  int keys = 0;
  TermKeyKey k;
  for (;;) {
    TermKeyResult result = termkey_getkey(tk, &k);
    if (result == TERMKEY_RES_AGAIN) result = termkey_getkey_force(tk, &k);
    if (result != TERMKEY_RES_KEY) break;
    if (++keys == 1) first = from_termkey(k);
  }
  // A sequence that libtermkey reads as several keys is one it does not know.
  if (keys != 1 || !first) return OtherEvent{};
  return *first;
}

}  // namespace quorvelan::term
