#pragma once
// Float-to-integer conversion that never invokes undefined behaviour: truncates toward zero,
// saturates at the target's limits, and maps NaN to 0. Every table index and id derived from
// a float goes through here.

#include <cmath>
#include <concepts>
#include <limits>

namespace quorvelan {

template <std::integral To, std::floating_point From>
constexpr To saturating_cast(From value) {
  if (std::isnan(value)) return 0;
  constexpr auto lo = static_cast<From>(std::numeric_limits<To>::min());
  constexpr auto hi = static_cast<From>(std::numeric_limits<To>::max());
  if (value <= lo) return std::numeric_limits<To>::min();
  if (value >= hi) return std::numeric_limits<To>::max();
  return static_cast<To>(value);
}

// Limits a value read from outside (a file, a message) to lo..hi; NaN gives lo, so that no
// stored value can carry a NaN into the audio path.
template <std::floating_point T>
constexpr T clamp_finite(T value, T lo, T hi) {
  if (std::isnan(value)) return lo;
  return value < lo ? lo : (value > hi ? hi : value);
}

}  // namespace quorvelan
