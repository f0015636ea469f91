#include "audio/samples.hpp"

#include <algorithm>
#include <cmath>

#include "numeric.hpp"

namespace quorvelan::audio::samples {

float to_f32(float x) { return std::isnan(x) ? 0.0f : std::clamp(x, -1.0f, 1.0f); }

std::int16_t to_i16(float x) { return saturating_cast<std::int16_t>(x * 32768.0f); }

std::int32_t to_i32(float x) { return saturating_cast<std::int32_t>(x * 2147483648.0f); }

std::uint16_t to_u16(float x) {
  return static_cast<std::uint16_t>(static_cast<std::uint16_t>(to_i16(x)) ^ 0x8000u);
}

void convert(std::span<const float> in, std::int16_t* out) {
  std::ranges::transform(in, out, to_i16);
}

void convert(std::span<const float> in, std::int32_t* out) {
  std::ranges::transform(in, out, to_i32);
}

void convert(std::span<const float> in, std::uint16_t* out) {
  std::ranges::transform(in, out, to_u16);
}

void clamp_in_place(std::span<float> samples) {
  std::ranges::transform(samples, samples.begin(), to_f32);
}

}  // namespace quorvelan::audio::samples
