#include "term/text.hpp"

#include "term/width.hpp"

namespace quorvelan::term {

std::size_t Span::width() const { return display_width(content); }

std::size_t Line::width() const {
  std::size_t total = 0;
  for (const auto& span : spans) total += span.width();
  return total;
}

}  // namespace quorvelan::term
