#pragma once
// The voice filter: a biquad in transposed direct form II whose coefficients come from a
// normalised cutoff (0..1, Hz = cutoff^2 x 20000), a resonance (0..1) and a filter type.

#include <cstdint>

#include "synth/lanes.hpp"

namespace quorvelan::synth::filter {

enum class FilterType : std::uint8_t { Lp1 = 0, Lp2 = 1, Bp = 2, Hp1 = 3, Hp2 = 4, Bs = 5 };

inline constexpr std::uint8_t kFilterTypeCount = 6;

// The frequency in Hz that a normalised cutoff (0..1) tunes the filter to, before the limit of the
// sample rate: the square gives the low frequencies more of the control's travel.
constexpr float cutoff_frequency(float cutoff) { return cutoff * cutoff * 20000.0f; }

// A voice filter at or above this normalised cutoff counts as open: it passes everything at
// note on, and a sweep up into this range keeps the coefficients it had below it.
inline constexpr float kOpenCutoff = 0.99f;

// Normalised by a0. `T` is float, or lanes of floats for filters that run side by side.
template <class T>
struct BasicCoefficients {
  T b0;
  T b1;
  T b2;
  T a1;
  T a2;
};
using Coefficients = BasicCoefficients<float>;

inline constexpr Coefficients kPassThrough{
    .b0 = 1.0f, .b1 = 0.0f, .b2 = 0.0f, .a1 = 0.0f, .a2 = 0.0f};

// The cutoff frequency in Hz for a normalised cutoff, kept below the Nyquist frequency of
// `sample_rate` (a biquad tuned at or above it turns unstable).
float cutoff_hz(float cutoff, float sample_rate);

Coefficients compute_coefficients(float cutoff, float resonance, FilterType type,
                                  float sample_rate);

// The two state words of a biquad in transposed direct form II.
template <class T>
struct BiquadState {
  T z1{};
  T z2{};
};

// Filters one sample. States that decay below 1e-15 become 0, away from denormal arithmetic.
template <class T>
[[gnu::always_inline]] inline T process(const BasicCoefficients<T>& c, BiquadState<T>& state, T x) {
  const T y = c.b0 * x + state.z1;
  const T z1 = c.b1 * x - c.a1 * y + state.z2;
  const T z2 = c.b2 * x - c.a2 * y;
  state.z1 = lanes::abs(z1) < 1e-15f ? T{} : z1;
  state.z2 = lanes::abs(z2) < 1e-15f ? T{} : z2;
  return y;
}

}  // namespace quorvelan::synth::filter
