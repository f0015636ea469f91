#pragma once
// Four floats processed side by side, one voice per lane: the unit of the voice render.
// Arithmetic on `Lanes` is ordinary single-precision float, lane by lane; comparisons give a
// `LaneMask` (all bits set where true) that `?:` takes as its condition.

#include <cstdint>

namespace quorvelan::synth::lanes {

inline constexpr int kLaneCount = 4;

using Lanes = float __attribute__((vector_size(16)));
using LaneInts = std::int32_t __attribute__((vector_size(16)));
using LaneMask = LaneInts;

inline bool any(LaneMask mask) {
#if defined(__SSE2__)
  return __builtin_ia32_movmskps(__builtin_bit_cast(Lanes, mask)) != 0;
#else
  return (mask[0] | mask[1] | mask[2] | mask[3]) != 0;
#endif
}

inline Lanes abs(Lanes x) {
  return __builtin_bit_cast(Lanes, __builtin_bit_cast(LaneInts, x) & 0x7fffffff);
}
inline float abs(float x) { return x < 0.0f ? -x : x; }

inline Lanes broadcast(float x) { return Lanes{x, x, x, x}; }

// Truncation toward zero. Magnitudes of 2^23 and above are whole already and pass unchanged,
// as do NaN and infinities, so no lane converts out of the integer range.
inline Lanes truncate(Lanes x) {
  const LaneMask small = abs(x) < 8388608.0f;
  const Lanes whole =
      __builtin_convertvector(__builtin_convertvector(small ? x : 0.0f, LaneInts), Lanes);
  return small ? whole : x;
}

inline Lanes floor(Lanes x) {
  const Lanes t = truncate(x);
  return t > x ? t - 1.0f : t;
}

// Hyperbolic tangent to within a few units in the last place: an odd polynomial near zero,
// 1 - 2 / (e^2|x| + 1) elsewhere, with e^y from a range-reduced polynomial.
inline Lanes tanh(Lanes x) {
  const Lanes a = abs(x);
  const Lanes z = x * x;
  const Lanes near_zero =
      ((((-5.70498872745e-3f * z + 2.06390887954e-2f) * z - 5.37397155531e-2f) * z +
        1.33314422036e-1f) *
           z -
       3.33332819422e-1f) *
          z * x +
      x;
  // e^y for y = 2|x| in 0..20 (above |x| = 10 the result rounds to 1): y = n ln 2 + r.
  const Lanes y = 2.0f * (a < 10.0f ? a : 10.0f);
  const LaneInts n = __builtin_convertvector(y * 1.44269504088896341f + 0.5f, LaneInts);  // y >= 0
  const Lanes n_float = __builtin_convertvector(n, Lanes);
  const Lanes r = (y - n_float * 0.693359375f) - n_float * -2.12194440e-4f;
  const Lanes p = (((((1.9875691500e-4f * r + 1.3981999507e-3f) * r + 8.3334519073e-3f) * r +
                     4.1665795894e-2f) *
                        r +
                    1.6666665459e-1f) *
                       r +
                   5.0000001201e-1f) *
                      r * r +
                  r + 1.0f;
  const Lanes scale = __builtin_bit_cast(Lanes, (n + 127) << 23);
  const Lanes far = 1.0f - 2.0f / (p * scale + 1.0f);
  const Lanes far_signed = x < 0.0f ? -far : far;
  return a >= 0.625f ? far_signed : near_zero;  // NaN stays NaN
}

}  // namespace quorvelan::synth::lanes
