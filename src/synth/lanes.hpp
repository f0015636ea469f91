#pragma once
// Four floats processed side by side, one voice per lane: the unit of the voice render.
// Arithmetic on `Lanes` is ordinary single-precision float, lane by lane; comparisons give a
// `LaneMask` (all bits set where true) that `?:` takes as its condition. `WideLanes` hold eight,
// for processors with 256-bit vectors; the functions here take either width and always inline,
// so that they compile for the vector unit of the function that calls them.

#include <cstdint>

namespace quorvelan::synth::lanes {

using Lanes = float __attribute__((vector_size(16)));
using LaneInts = std::int32_t __attribute__((vector_size(16)));
using LaneMask = LaneInts;
using WideLanes = float __attribute__((vector_size(32)));
using WideLaneInts = std::int32_t __attribute__((vector_size(32)));
using WideLaneMask = WideLaneInts;

template <class V>
inline constexpr int kWidth = sizeof(V) / sizeof(float);

// The integer (and mask) lanes that go with float lanes `V`.
template <class V>
using IntsOf = decltype(V{} < V{});

[[gnu::always_inline]] inline bool any(LaneMask mask) {
#if defined(__SSE2__)
  return __builtin_ia32_movmskps(__builtin_bit_cast(Lanes, mask)) != 0;
#else
  return (mask[0] | mask[1] | mask[2] | mask[3]) != 0;
#endif
}

[[gnu::always_inline]] inline bool any(WideLaneMask mask) {
  return any(LaneMask(__builtin_shufflevector(mask, mask, 0, 1, 2, 3) |
                      __builtin_shufflevector(mask, mask, 4, 5, 6, 7)));
}

template <class V>
[[gnu::always_inline]] inline V abs(V x) {
  return __builtin_bit_cast(V, __builtin_bit_cast(IntsOf<V>, x) & 0x7fffffff);
}
inline float abs(float x) { return x < 0.0f ? -x : x; }

// Truncation toward zero. Magnitudes of 2^23 and above are whole already and pass unchanged,
// as do NaN and infinities, so no lane converts out of the integer range.
template <class V>
[[gnu::always_inline]] inline V truncate(V x) {
  const auto small = abs(x) < 8388608.0f;
  const V whole = __builtin_convertvector(__builtin_convertvector(small ? x : 0.0f, IntsOf<V>), V);
  return small ? whole : x;
}

template <class V>
[[gnu::always_inline]] inline V floor(V x) {
  const V t = truncate(x);
  return t > x ? t - 1.0f : t;
}

// Hyperbolic tangent to within a few units in the last place: an odd polynomial near zero,
// 1 - 2 / (e^2|x| + 1) elsewhere, with e^y from a range-reduced polynomial.
template <class V>
[[gnu::always_inline]] inline V tanh(V x) {
  const V a = abs(x);
  const V z = x * x;
  const V near_zero = ((((-5.70498872745e-3f * z + 2.06390887954e-2f) * z - 5.37397155531e-2f) * z +
                        1.33314422036e-1f) *
                           z -
                       3.33332819422e-1f) *
                          z * x +
                      x;
  // e^y for y = 2|x| in 0..20 (above |x| = 10 the result rounds to 1): y = n ln 2 + r.
  const V y = 2.0f * (a < 10.0f ? a : 10.0f);
  const IntsOf<V> n =
      __builtin_convertvector(y * 1.44269504088896341f + 0.5f, IntsOf<V>);  // y >= 0
  const V n_float = __builtin_convertvector(n, V);
  const V r = (y - n_float * 0.693359375f) - n_float * -2.12194440e-4f;
  const V p = (((((1.9875691500e-4f * r + 1.3981999507e-3f) * r + 8.3334519073e-3f) * r +
                 4.1665795894e-2f) *
                    r +
                1.6666665459e-1f) *
                   r +
               5.0000001201e-1f) *
                  r * r +
              r + 1.0f;
  const V scale = __builtin_bit_cast(V, (n + 127) << 23);
  const V far = 1.0f - 2.0f / (p * scale + 1.0f);
  const V far_signed = x < 0.0f ? -far : far;
  return a >= 0.625f ? far_signed : near_zero;  // NaN stays NaN
}

}  // namespace quorvelan::synth::lanes
