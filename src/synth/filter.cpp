#include "synth/filter.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quorvelan::synth::filter {

namespace {

constexpr float kNyquistMargin = 0.49f;        // highest cutoff, fraction of the sample rate
constexpr float kTangentCeiling = 1.5676548f;  // keeps the one-pole tangent finite
constexpr float kQualityBase = 0.707f;
constexpr float kQualityPerResonance = 10.0f;
constexpr float kQualityFloor = 0.1f;
constexpr float kPi = std::numbers::pi_v<float>;

Coefficients one_pole(float fc, float sample_rate, bool high_pass) {
  const float t = std::tan(std::min(kPi * fc / sample_rate, kTangentCeiling));
  const float a1 = (t - 1.0f) / (t + 1.0f);
  if (high_pass)
    return {.b0 = 1.0f / (t + 1.0f), .b1 = -1.0f / (t + 1.0f), .b2 = 0.0f, .a1 = a1, .a2 = 0.0f};
  return {.b0 = t / (t + 1.0f), .b1 = t / (t + 1.0f), .b2 = 0.0f, .a1 = a1, .a2 = 0.0f};
}

Coefficients two_pole(float fc, float resonance, FilterType type, float sample_rate) {
  const float w = 2.0f * kPi * fc / sample_rate;
  const float q = std::max(kQualityPerResonance * resonance + kQualityBase, kQualityFloor);
  const float alpha = std::sin(w) / (2.0f * q);
  const float cos_w = std::cos(w);
  float b0 = 0.0f;
  float b1 = 0.0f;
  float b2 = 0.0f;
  switch (type) {
    case FilterType::Bp:
      b0 = alpha;
      b2 = -alpha;
      break;
    case FilterType::Hp2:
      b0 = (1.0f + cos_w) / 2.0f;
      b1 = -(1.0f + cos_w);
      b2 = b0;
      break;
    case FilterType::Bs:
      b0 = 1.0f;
      b1 = -2.0f * cos_w;
      b2 = 1.0f;
      break;
    default:  // Lp2
      b0 = (1.0f - cos_w) / 2.0f;
      b1 = 1.0f - cos_w;
      b2 = b0;
      break;
  }
  const float a0 = 1.0f + alpha;
  return {.b0 = b0 / a0,
          .b1 = b1 / a0,
          .b2 = b2 / a0,
          .a1 = -2.0f * cos_w / a0,
          .a2 = (1.0f - alpha) / a0};
}

}  // namespace

float cutoff_hz(float cutoff, float sample_rate) {
  return std::min(cutoff_frequency(cutoff), kNyquistMargin * sample_rate);
}

Coefficients compute_coefficients(float cutoff, float resonance, FilterType type,
                                  float sample_rate) {
  const float fc = cutoff_hz(cutoff, sample_rate);
  switch (type) {
    case FilterType::Lp1:
      return one_pole(fc, sample_rate, false);
    case FilterType::Hp1:
      return one_pole(fc, sample_rate, true);
    default:
      return two_pole(fc, resonance, type, sample_rate);
  }
}

}  // namespace quorvelan::synth::filter
