#pragma once
// The one sine cycle that every operator reads, with linear interpolation between entries.

#include <array>
#include <cstdint>

#include "synth/lanes.hpp"

namespace quorvelan::synth::wavetable {

inline constexpr int kSineTableSize = 2048;
using SineTable = std::array<float, kSineTableSize>;

// Built on first use (thread-safe) and shared by all operators.
const SineTable& sine_table();

// Each entry of the sine table with the step to the next one (wrapping at the end), side by
// side so that one read fetches both.
struct SinePoint {
  float value;
  float slope;
};
using SinePointTable = std::array<SinePoint, kSineTableSize>;

const SinePointTable& sine_point_table();

// sin(2 pi x cycles) for a phase in cycles, lane by lane (`V` is lanes::Lanes or
// lanes::WideLanes), interpolated linearly between table entries. A non-finite phase gives NaN,
// never a read outside the table.
template <class V>
[[gnu::always_inline]] inline V sine_at(const SinePointTable& table, V cycles) {
  using Pair = float __attribute__((vector_size(8)));
  using Quad = float __attribute__((vector_size(16)));
  constexpr int kWidth = lanes::kWidth<V>;
  V fraction = cycles - lanes::truncate(cycles);
  fraction += fraction < 0.0f ? 1.0f : 0.0f;
  const V position = fraction * static_cast<float>(kSineTableSize);
  // Position is 0..2048, or NaN: a NaN converts to the integer indefinite value, which the
  // mask turns into index 0 while the interpolation below still gives NaN.
  const lanes::IntsOf<V> index = __builtin_convertvector(position, lanes::IntsOf<V>);
  const lanes::IntsOf<V> wrapped = index & (kSineTableSize - 1);
  std::array<Pair, kWidth> points;
  for (int lane = 0; lane < kWidth; ++lane)
    __builtin_memcpy(&points[lane], &table[static_cast<std::uint32_t>(wrapped[lane])],
                     sizeof(Pair));
  V value;
  V slope;
  if constexpr (kWidth == 4) {
    const V low = __builtin_shufflevector(points[0], points[1], 0, 1, 2, 3);
    const V high = __builtin_shufflevector(points[2], points[3], 0, 1, 2, 3);
    value = __builtin_shufflevector(low, high, 0, 2, 4, 6);
    slope = __builtin_shufflevector(low, high, 1, 3, 5, 7);
  } else {
    // Pairs of the two 128-bit halves side by side, so that every shuffle stays in its half.
    const Quad q0 = __builtin_shufflevector(points[0], points[1], 0, 1, 2, 3);
    const Quad q1 = __builtin_shufflevector(points[2], points[3], 0, 1, 2, 3);
    const Quad q2 = __builtin_shufflevector(points[4], points[5], 0, 1, 2, 3);
    const Quad q3 = __builtin_shufflevector(points[6], points[7], 0, 1, 2, 3);
    const V low = __builtin_shufflevector(q0, q2, 0, 1, 2, 3, 4, 5, 6, 7);
    const V high = __builtin_shufflevector(q1, q3, 0, 1, 2, 3, 4, 5, 6, 7);
    value = __builtin_shufflevector(low, high, 0, 2, 8, 10, 4, 6, 12, 14);
    slope = __builtin_shufflevector(low, high, 1, 3, 9, 11, 5, 7, 13, 15);
  }
  return value + (position - __builtin_convertvector(index, V)) * slope;
}

}  // namespace quorvelan::synth::wavetable
