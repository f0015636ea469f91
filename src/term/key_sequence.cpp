#include "term/key_sequence.hpp"

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
  return {Kind::Key, length};
}

// A control sequence: ESC [, parameter and intermediate bytes, one final byte.
SequenceSplit split_csi(std::string_view bytes) {
  if (bytes.starts_with(paste_start)) {
    const auto end = bytes.find(paste_end, paste_start.size());
    if (end == std::string_view::npos) return {Kind::Incomplete, bytes.size()};
    return {Kind::Dropped, end + paste_end.size()};
  }
  // The old mouse report: ESC [ M and three raw bytes.
  if (bytes.size() >= 3 && bytes[2] == 'M') {
    if (bytes.size() < 6) return {Kind::Incomplete, bytes.size()};
    return {Kind::Dropped, 6};
  }
  for (std::size_t i = 2; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte >= 0x40 && byte <= 0x7E) return {Kind::Key, i + 1};
    if (byte < 0x20 || byte > 0x3F) return {Kind::Dropped, i};  // broken off: drop what came
  }
  return {Kind::Incomplete, bytes.size()};
}

// A string the terminal sends (OSC, DCS, APC, PM, SOS), ended by BEL or ESC \.
SequenceSplit split_string(std::string_view bytes) {
  for (std::size_t i = 2; i < bytes.size(); ++i) {
    if (bytes[i] == '\a') return {Kind::Dropped, i + 1};
    if (bytes[i] == escape) {
      if (i + 1 >= bytes.size()) break;
      return {Kind::Dropped, bytes[i + 1] == '\\' ? i + 2 : i};
    }
  }
  return {Kind::Incomplete, bytes.size()};
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
    case 'O':  // SS3: one more byte names the key
      if (pending.size() < 3) return {Kind::Incomplete, 2};
      return {Kind::Key, 3};
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

bool is_unfinished_paste(std::string_view pending) {
  return pending.starts_with(paste_start) && pending.find(paste_end) == std::string_view::npos;
}

}  // namespace quorvelan::term
