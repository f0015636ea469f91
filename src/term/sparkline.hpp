#pragma once
// A bar graph of one value per column, drawn with eighth-block glyphs from the bottom up.

#include <cstdint>
#include <utility>
#include <vector>

#include "term/buffer.hpp"
#include "term/rect.hpp"
#include "term/style.hpp"

namespace quorvelan::term {

// Set up by chained calls: Sparkline(values).max(100).style(s).
class Sparkline {
 public:
  // The value of column 0, 1, ...; columns past the data stay blank.
  explicit Sparkline(std::vector<std::uint64_t> data) : data_(std::move(data)) {}

  // The value that fills the area's whole height; larger values are drawn as it.
  Sparkline& max(std::uint64_t value) {
    max_ = value;
    return *this;
  }
  Sparkline& style(Style style) {
    style_ = style;
    return *this;
  }

  void render(const Rect& area, Buffer& buffer) const;

 private:
  std::vector<std::uint64_t> data_;
  std::uint64_t max_ = 1;
  Style style_;
};

}  // namespace quorvelan::term
