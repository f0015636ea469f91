#pragma once
// A bar graph of one value per column, drawn with eighth-block glyphs from the bottom up.

#include <cstdint>
#include <vector>

#include "term/buffer.hpp"
#include "term/rect.hpp"
#include "term/style.hpp"

namespace quorvelan::term {

struct Sparkline {
  std::vector<std::uint64_t> data;  // value of column 0, 1, ...; columns past the data stay blank
  std::uint64_t max = 1;            // the value that fills the area's whole height
  Style style;

  void render(const Rect& area, Buffer& buffer) const;
};

}  // namespace quorvelan::term
