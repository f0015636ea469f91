#include "term/key_sequence.hpp"

#include <algorithm>
#include <charconv>
#include <optional>

#include "utf8.hpp"

namespace quorvelan::term {

namespace {

constexpr char escape = '\x1b';
constexpr std::string_view paste_start = "\x1b[200~";
constexpr std::string_view paste_end = "\x1b[201~";

using Kind = SequenceSplit::Kind;

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// One UTF-8 encoded character at the front of `bytes`.
SequenceSplit split_character(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  std::size_t length = 0;
  if (lead < 0x80)
    length = 1;
  else if (lead >= 0xC2 && lead < 0xE0)
    length = 2;
  else if (lead >= 0xE0 && lead < 0xF0)
    length = 3;
  else if (lead >= 0xF0 && lead < 0xF5)
    length = 4;
  else
    return {Kind::Dropped, 1};
  for (std::size_t i = 1; i < length; ++i) {
    if (i >= bytes.size()) return {Kind::Incomplete, bytes.size()};
    if (!is_continuation(static_cast<unsigned char>(bytes[i]))) return {Kind::Dropped, i};
  }
  // Overlong forms, surrogates and code points past U+10FFFF are no characters.
  if (!utf8::is_valid(bytes.substr(0, length))) return {Kind::Dropped, length};
  return {Kind::Key, length};
}

// The control sequences of keys that libtermkey reads soundly: cursor and editing keys and F1 to
// F4 ("ESC [ 1;5 A"), keys by number ("ESC [ 3 ~", "ESC [ 27;5;97 ~") and characters by code
// point ("ESC [ 97;5 u"), with up to three numeric parameters. libtermkey reads private markers
// and intermediate bytes into indexes past its tables, and absent parameters from memory it never
// wrote, so every other form is an unknown key.
constexpr std::string_view cursor_key_finals = "ABCDEFHPQRSZ";
constexpr std::size_t max_parameters = 3;
constexpr std::size_t max_parameter_digits = 7;  // enough for any code point
constexpr int key_by_code_point = 27;            // "ESC [ 27 ; modifiers ; code point ~"

struct Parameters {
  std::size_t count = 0;
  int first = 0;
};

// The parameters when they are numbers separated by ";", each within the limits above.
std::optional<Parameters> numeric_parameters(std::string_view text) {
  Parameters parameters;
  if (text.empty()) return parameters;
  for (;;) {
    const std::size_t separator = text.find(';');
    const std::string_view digits = text.substr(0, separator);
    if (digits.empty() || digits.size() > max_parameter_digits ||
        parameters.count == max_parameters ||
        !std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; })) {
      return std::nullopt;
    }
    if (parameters.count++ == 0) {
      std::from_chars(digits.data(), digits.data() + digits.size(), parameters.first);
    }
    if (separator == std::string_view::npos) return parameters;
    text.remove_prefix(separator + 1);
  }
}

bool is_key_sequence(std::string_view parameter_text, char final) {
  const std::optional<Parameters> parameters = numeric_parameters(parameter_text);
  if (!parameters) return false;
  if (cursor_key_finals.find(final) != std::string_view::npos) return true;
  if (final == '~') {
    return parameters->count >= 1 &&
           (parameters->first != key_by_code_point || parameters->count == 3);
  }
  return final == 'u' && parameters->count >= 1;
}

// The longest key sequence read: ESC [, the most parameters of the most digits, each with the
// separator or final byte after it. A control sequence or string longer than this is no key.
constexpr std::size_t longest_key_sequence = 2 + max_parameters * (max_parameter_digits + 1);

bool is_final_byte(unsigned char byte) { return byte >= 0x40 && byte <= 0x7E; }
bool is_parameter_or_intermediate(unsigned char byte) { return byte >= 0x20 && byte <= 0x3F; }

// A control sequence: ESC [, parameter and intermediate bytes, one final byte.
SequenceSplit split_csi(std::string_view bytes) {
  if (bytes.starts_with(paste_start)) {
    return {Kind::Dropped, paste_start.size(), SequenceTail::Paste};
  }
  // The old mouse report: ESC [ M and three raw bytes.
  if (bytes.size() >= 3 && bytes[2] == 'M') {
    if (bytes.size() < 6) return {Kind::Incomplete, bytes.size()};
    return {Kind::Dropped, 6};
  }
  const std::size_t scanned = std::min(bytes.size(), longest_key_sequence);
  for (std::size_t i = 2; i < scanned; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (is_final_byte(byte)) {
      const bool key = is_key_sequence(bytes.substr(2, i - 2), bytes[i]);
      return {key ? Kind::Key : Kind::Dropped, i + 1};
    }
    if (!is_parameter_or_intermediate(byte))
      return {Kind::Dropped, i};  // broken off: drop what came
  }
  if (scanned < longest_key_sequence) return {Kind::Incomplete, bytes.size()};
  return {Kind::Dropped, scanned, SequenceTail::ControlSequence};
}

// A string the terminal sends (OSC, DCS, APC, PM, SOS), ended by BEL or ESC \.
SequenceSplit split_string(std::string_view bytes) {
  const std::size_t scanned = std::min(bytes.size(), longest_key_sequence);
  const TailSplit body = split_tail(SequenceTail::String, bytes.substr(2, scanned - 2));
  if (body.ended) return {Kind::Dropped, 2 + body.length};
  if (scanned < longest_key_sequence) return {Kind::Incomplete, bytes.size()};
  return {Kind::Dropped, 2 + body.length, SequenceTail::String};
}

// The longest front of `bytes` that may begin `marker`, short of the whole marker.
std::size_t marker_start_at_end(std::string_view bytes, std::string_view marker) {
  for (std::size_t n = std::min(bytes.size(), marker.size() - 1); n > 0; --n) {
    if (bytes.ends_with(marker.substr(0, n))) return n;
  }
  return 0;
}

}  // namespace

SequenceSplit split_sequence(std::string_view pending) {
  if (pending[0] != escape) return split_character(pending);
  if (pending.size() == 1) return {Kind::Incomplete, 1};
  switch (pending[1]) {
    case escape:
      return {Kind::Key, 1};  // Esc pressed twice, not Alt+Esc
    case '[':
      return split_csi(pending);
    case 'O': {  // SS3: one more byte names the key
      if (pending.size() < 3) return {Kind::Incomplete, 2};
      const auto byte = static_cast<unsigned char>(pending[2]);
      if (byte >= 0x40 && byte <= 0x7E) return {Kind::Key, 3};
      return {Kind::Dropped, 2};  // no key: that byte begins the next sequence
    }
    case ']':
    case 'P':
    case '_':
    case '^':
    case 'X':
      return split_string(pending);
    default:
      break;
  }
  // Alt held with a key: ESC and that key's character.
  const SequenceSplit character = split_character(pending.substr(1));
  return {character.kind, character.length + 1};
}

TailSplit split_tail(SequenceTail tail, std::string_view bytes) {
  switch (tail) {
    case SequenceTail::None:
      return {0, true};
    case SequenceTail::ControlSequence:
      for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (is_final_byte(byte)) return {i + 1, true};
        if (!is_parameter_or_intermediate(byte)) return {i, true};  // broken off
      }
      return {bytes.size(), false};
    case SequenceTail::String:
      for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\a') return {i + 1, true};
        if (bytes[i] != escape) continue;
        if (i + 1 == bytes.size()) return {i, false};  // ESC \ ends it, any other ESC follows it
        return {bytes[i + 1] == '\\' ? i + 2 : i, true};
      }
      return {bytes.size(), false};
    case SequenceTail::Paste: {
      const std::size_t end = bytes.find(paste_end);
      if (end != std::string_view::npos) return {end + paste_end.size(), true};
      return {bytes.size() - marker_start_at_end(bytes, paste_end), false};
    }
  }
  return {0, true};
}

}  // namespace quorvelan::term
