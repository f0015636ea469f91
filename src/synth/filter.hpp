#pragma once
// The voice filter: a biquad in transposed direct form II whose coefficients come from a
// normalised cutoff (0..1, Hz = cutoff^2 x 20000), a resonance (0..1) and a filter type.

#include <cmath>
#include <cstdint>

namespace quorvelan::synth::filter {

enum class FilterType : std::uint8_t { Lp1 = 0, Lp2 = 1, Bp = 2, Hp1 = 3, Hp2 = 4, Bs = 5 };

inline constexpr std::uint8_t kFilterTypeCount = 6;

// Normalised by a0; the pass-through filter is the default.
struct Coefficients {
  float b0 = 1.0f;
  float b1 = 0.0f;
  float b2 = 0.0f;
  float a1 = 0.0f;
  float a2 = 0.0f;
};

// The cutoff frequency in Hz for a normalised cutoff, kept below the Nyquist frequency of
// `sample_rate` (a biquad tuned at or above it turns unstable).
float cutoff_hz(float cutoff, float sample_rate);

Coefficients compute_coefficients(float cutoff, float resonance, FilterType type,
                                  float sample_rate);

struct Biquad {
  float process(const Coefficients& c, float x) {
    const float y = c.b0 * x + z1;
    z1 = flush(c.b1 * x - c.a1 * y + z2);
    z2 = flush(c.b2 * x - c.a2 * y);
    return y;
  }

  float z1 = 0.0f;
  float z2 = 0.0f;

 private:
  // Keeps decaying states out of denormal arithmetic.
  static float flush(float state) { return std::fabs(state) < 1e-15f ? 0.0f : state; }
};

}  // namespace quorvelan::synth::filter
