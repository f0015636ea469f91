#pragma once
// Where one input sequence ends in a stream of terminal input bytes, so that every escape
// sequence is decoded, or dropped, as a whole and never leaks out as stray characters.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorvelan::term {

struct SequenceSplit {
  enum class Kind : std::uint8_t {
    Incomplete,  // the bytes so far may still grow into a longer sequence: wait for more
    Key,         // a character, or an escape sequence in a form the key decoder reads soundly
    Dropped,     // pasted text, a terminal report string, any other control sequence, or bytes
                 // that make no sequence
  };
  Kind kind = Kind::Incomplete;
  std::size_t length = 0;  // bytes that the sequence takes from the front
};

// Splits the first sequence off `pending` (which must not be empty).
SequenceSplit split_sequence(std::string_view pending);

// True for a bracketed paste that has not ended yet: waiting longer must not cut it.
bool is_unfinished_paste(std::string_view pending);

}  // namespace quorvelan::term
