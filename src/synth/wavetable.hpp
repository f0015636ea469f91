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

// sin(2 pi x cycles) for a phase in cycles, lane by lane, interpolated linearly between table
// entries. A non-finite phase gives NaN, never a read outside the table.
inline lanes::Lanes sine_at(const SinePointTable& table, lanes::Lanes cycles) {
  using Pair = float __attribute__((vector_size(8)));
  lanes::Lanes fraction = cycles - lanes::truncate(cycles);
  fraction += fraction < 0.0f ? 1.0f : 0.0f;
  const lanes::Lanes position = fraction * static_cast<float>(kSineTableSize);
  // Position is 0..2048, or NaN: a NaN converts to the integer indefinite value, which the
  // mask turns into index 0 while the interpolation below still gives NaN.
  const lanes::LaneInts index = __builtin_convertvector(position, lanes::LaneInts);
  const lanes::LaneInts wrapped = index & (kSineTableSize - 1);
  std::array<Pair, lanes::kLaneCount> points;
  for (int lane = 0; lane < lanes::kLaneCount; ++lane)
    __builtin_memcpy(&points[lane], &table[static_cast<std::uint32_t>(wrapped[lane])],
                     sizeof(Pair));
  const lanes::Lanes low = __builtin_shufflevector(points[0], points[1], 0, 1, 2, 3);
  const lanes::Lanes high = __builtin_shufflevector(points[2], points[3], 0, 1, 2, 3);
  const lanes::Lanes value = __builtin_shufflevector(low, high, 0, 2, 4, 6);
  const lanes::Lanes slope = __builtin_shufflevector(low, high, 1, 3, 5, 7);
  return value + (position - __builtin_convertvector(index, lanes::Lanes)) * slope;
}

}  // namespace quorvelan::synth::wavetable
