#pragma once
// Where one input sequence ends in a stream of terminal input bytes, so that every escape
// sequence is decoded, or dropped, as a whole and never leaks out as stray characters.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorvelan::term {

// The rest of a dropped sequence that may go on without bound: it is dropped as it arrives, so
// that no sequence is ever held whole.
enum class SequenceTail : std::uint8_t {
  None,
  ControlSequence,  // parameter and intermediate bytes, up to a final byte
  String,           // a string the terminal sends, up to BEL or ESC \ (string terminator)
  Paste,            // pasted text, up to the end of the bracketed paste
};

struct SequenceSplit {
  enum class Kind : std::uint8_t {
    Incomplete,  // the bytes so far may still grow into a longer sequence: wait for more
    Key,         // a character, or an escape sequence in a form the key decoder reads soundly
    Dropped,     // pasted text, a terminal report string, any other control sequence, or bytes
                 // that make no sequence
  };
  Kind kind = Kind::Incomplete;
  std::size_t length = 0;                  // bytes that the sequence takes from the front
  SequenceTail tail = SequenceTail::None;  // what of a dropped sequence follows those bytes
};

// Splits the first sequence off `pending` (which must not be empty). It looks at no more bytes
// than the longest key sequence holds: a paste, and any control sequence or string that grows
// longer than that, is dropped with a tail.
SequenceSplit split_sequence(std::string_view pending);

struct TailSplit {
  std::size_t length = 0;  // bytes at the front that belong to the tail
  bool ended = false;      // the sequence ends with them
};

// How much of `bytes` continues the tail of a dropped sequence. Bytes that may begin its end
// marker are left for the next read to decide.
TailSplit split_tail(SequenceTail tail, std::string_view bytes);

}  // namespace quorvelan::term
