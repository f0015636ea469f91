#pragma once
// The one sine cycle that every operator reads, with linear interpolation between entries.

#include <array>

#include "numeric.hpp"

namespace quorvelan::synth::wavetable {

inline constexpr int kSineTableSize = 2048;
using SineTable = std::array<float, kSineTableSize>;

// Built on first use (thread-safe) and shared by all operators.
const SineTable& sine_table();

// sin(2 pi x cycles) for a phase in cycles. A non-finite phase gives NaN, never a read outside
// the table.
inline float sine_at(const SineTable& table, float cycles) {
  float fraction = cycles - std::trunc(cycles);
  if (fraction < 0.0f) fraction += 1.0f;
  const float position = fraction * kSineTableSize;
  const auto index = saturating_cast<int>(position);
  const float below = table[index & (kSineTableSize - 1)];
  const float above = table[(index + 1) & (kSineTableSize - 1)];
  return below + (position - static_cast<float>(index)) * (above - below);
}

}  // namespace quorvelan::synth::wavetable
