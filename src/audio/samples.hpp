#pragma once
// Conversion of rendered f32 samples into a device's sample type. Integer samples truncate
// toward zero and saturate at their type's limits; NaN becomes silence in every type, so a
// numeric fault upstream can never reach the speakers as full-scale noise.

#include <cstdint>
#include <span>

namespace quorvelan::audio::samples {

float to_f32(float x);          // clamped to -1.0 .. 1.0
std::int16_t to_i16(float x);   // x * 32768
std::int32_t to_i32(float x);   // x * 2147483648
std::uint16_t to_u16(float x);  // the I16 value with its sign bit flipped: silence is 32768

// Converts `in` into the first in.size() samples of `out`, which must be at least that long.
void convert(std::span<const float> in, std::int16_t* out);
void convert(std::span<const float> in, std::int32_t* out);
void convert(std::span<const float> in, std::uint16_t* out);
// Clamps a buffer of f32 samples in place.
void clamp_in_place(std::span<float> samples);

}  // namespace quorvelan::audio::samples
