#pragma once
// Wipes an area back to default cells, so that an overlay does not show what was drawn beneath it.

#include "term/buffer.hpp"
#include "term/rect.hpp"

namespace quorvelan::term {

struct Clear {
  void render(const Rect& area, Buffer& buffer) const { buffer.reset(area); }
};

}  // namespace quorvelan::term
