#include "term/layout.hpp"

#include <algorithm>
#include <cstddef>
#include <numeric>

namespace quorvelan::term {

namespace {

// What each part asks for, before the area's limits apply.
std::vector<std::uint64_t> requested_sizes(std::uint64_t total,
                                           const std::vector<Constraint>& constraints) {
  std::vector<std::uint64_t> sizes;
  sizes.reserve(constraints.size());
  // The running sum of the ratios, kept as an exact fraction so that thirds add up to one.
  std::uint64_t sum_numerator = 0;
  std::uint64_t sum_denominator = 1;
  std::uint64_t ratio_edge = 0;
  for (const auto& c : constraints) {
    if (c.kind != Constraint::Kind::Ratio) {
      sizes.push_back(c.a);
      continue;
    }
    if (c.b != 0) {
      sum_numerator = sum_numerator * c.b + std::uint64_t{c.a} * sum_denominator;
      sum_denominator *= c.b;
      const std::uint64_t divisor = std::gcd(sum_numerator, sum_denominator);
      sum_numerator /= divisor;
      sum_denominator /= divisor;
    }
    const std::uint64_t edge =
        (2 * total * sum_numerator + sum_denominator) / (2 * sum_denominator);
    sizes.push_back(edge > ratio_edge ? edge - ratio_edge : 0);
    ratio_edge = std::max(ratio_edge, edge);
  }
  return sizes;
}

}  // namespace

std::vector<Rect> split(const Rect& area, Direction direction,
                        const std::vector<Constraint>& constraints) {
  if (constraints.empty()) return {};
  const bool vertical = direction == Direction::Vertical;
  const std::uint64_t total = vertical ? area.height : area.width;

  std::vector<std::uint64_t> sizes = requested_sizes(total, constraints);
  std::uint64_t remaining = total;
  for (auto& size : sizes) {
    size = std::min(size, remaining);
    remaining -= size;
  }

  std::vector<std::size_t> growing;
  for (std::size_t i = 0; i < constraints.size(); ++i) {
    if (constraints[i].kind == Constraint::Kind::Min) growing.push_back(i);
  }
  if (growing.empty()) growing.push_back(constraints.size() - 1);
  for (std::size_t k = 0; k < growing.size(); ++k) {
    const std::uint64_t share =
        remaining / growing.size() + (k < remaining % growing.size() ? 1 : 0);
    sizes[growing[k]] += share;
  }

  std::vector<Rect> parts;
  parts.reserve(sizes.size());
  std::uint64_t offset = vertical ? area.y : area.x;
  for (const auto size : sizes) {
    Rect part = area;
    if (vertical) {
      part.y = static_cast<std::uint16_t>(std::min<std::uint64_t>(offset, 65535));
      part.height = static_cast<std::uint16_t>(size);
    } else {
      part.x = static_cast<std::uint16_t>(std::min<std::uint64_t>(offset, 65535));
      part.width = static_cast<std::uint16_t>(size);
    }
    parts.push_back(part);
    offset += size;
  }
  return parts;
}

}  // namespace quorvelan::term
