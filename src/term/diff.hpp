#pragma once
// The bytes that bring a terminal showing one frame to showing the next.

#include <string>

#include "term/buffer.hpp"

namespace quorvelan::term {

// Writes only the cells of `next` that differ from `previous` (cells outside `previous` count as
// blank): cursor moves where the cells are not adjacent, one SGR sequence (reset, modifiers,
// 24-bit or palette colours) wherever the look changes, and a final reset. Empty when nothing
// changed.
std::string diff(const Buffer& previous, const Buffer& next);

}  // namespace quorvelan::term
