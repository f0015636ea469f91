#include "synth/filter.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

namespace quorvelan::synth::filter {
namespace {

constexpr float kRate = 48000.0f;
const float kCutoff1k = std::sqrt(1000.0f / 20000.0f);  // normalised cutoff of 1000 Hz

// Magnitude of the filter's response at `hz`.
double gain_at(const Coefficients& c, double hz, double rate = kRate) {
  const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * hz / rate);
  const auto z2 = z1 * z1;
  const auto d = [](float v) { return double{v}; };
  return std::abs((d(c.b0) + d(c.b1) * z1 + d(c.b2) * z2) / (1.0 + d(c.a1) * z1 + d(c.a2) * z2));
}

// Gain measured by running a sine through the biquad, after it has settled.
double measured_gain(const Coefficients& c, double hz) {
  BiquadState<float> state;
  double in_energy = 0.0;
  double out_energy = 0.0;
  for (int n = 0; n < 48000; ++n) {
    const float x = static_cast<float>(std::sin(2.0 * std::numbers::pi * hz * n / kRate));
    const float y = process(c, state, x);
    if (n < 24000) continue;
    in_energy += double{x} * x;
    out_energy += double{y} * y;
  }
  return std::sqrt(out_energy / in_energy);
}

Coefficients at_1k(FilterType type, float resonance = 0.0f) {
  return compute_coefficients(kCutoff1k, resonance, type, kRate);
}

TEST(Filter, LowPassesKeepTheBassAndCutTheTreble) {
  const auto lp1 = at_1k(FilterType::Lp1);
  EXPECT_NEAR(gain_at(lp1, 20), 1.0, 0.001);
  EXPECT_NEAR(gain_at(lp1, 1000), std::sqrt(0.5), 0.005);
  EXPECT_LT(gain_at(lp1, 10000), 0.11);

  const auto lp2 = at_1k(FilterType::Lp2);
  EXPECT_NEAR(gain_at(lp2, 20), 1.0, 0.001);
  EXPECT_NEAR(gain_at(lp2, 1000), 0.707, 0.005);
  EXPECT_LT(gain_at(lp2, 10000), 0.011);  // 12 dB per octave
  EXPECT_GT(gain_at(lp2, 10000), 0.005);
}

TEST(Filter, HighPassesCutTheBassAndKeepTheTreble) {
  const auto hp1 = at_1k(FilterType::Hp1);
  EXPECT_LT(gain_at(hp1, 20), 0.025);
  EXPECT_NEAR(gain_at(hp1, 1000), std::sqrt(0.5), 0.005);
  EXPECT_NEAR(gain_at(hp1, 20000), 1.0, 0.01);

  const auto hp2 = at_1k(FilterType::Hp2);
  EXPECT_LT(gain_at(hp2, 100), 0.011);
  EXPECT_NEAR(gain_at(hp2, 1000), 0.707, 0.005);
  EXPECT_NEAR(gain_at(hp2, 20000), 1.0, 0.01);
}

TEST(Filter, BandPassPeaksAtTheCutoffAndNotchRemovesIt) {
  const auto bp = at_1k(FilterType::Bp);
  EXPECT_NEAR(gain_at(bp, 1000), 1.0, 0.001);
  EXPECT_LT(gain_at(bp, 100), 0.15);  // a decade away at Q 0.707
  EXPECT_LT(gain_at(bp, 10000), 0.15);

  const auto bs = at_1k(FilterType::Bs);
  EXPECT_LT(gain_at(bs, 1000), 0.001);
  EXPECT_NEAR(gain_at(bs, 100), 1.0, 0.02);
  EXPECT_NEAR(gain_at(bs, 10000), 1.0, 0.02);
}

TEST(Filter, ResonanceRaisesTheQualityFactor) {
  EXPECT_NEAR(gain_at(at_1k(FilterType::Lp2, 1.0f), 1000), 10.707, 0.05);
  EXPECT_NEAR(gain_at(at_1k(FilterType::Lp2, 0.5f), 1000), 5.707, 0.05);
}

TEST(Filter, TheBiquadRealisesTheComputedResponse) {
  for (auto type : {FilterType::Lp1, FilterType::Lp2, FilterType::Bp, FilterType::Hp2}) {
    const auto c = at_1k(type);
    for (double hz : {200.0, 1000.0, 4000.0})
      EXPECT_NEAR(measured_gain(c, hz), gain_at(c, hz), 0.01) << hz;
  }
}

TEST(Filter, TheCutoffStaysBelowNyquistAtLowSampleRates) {
  EXPECT_EQ(cutoff_hz(1.0f, 44100.0f), 20000.0f);  // nothing changes at 44.1 kHz and above
  EXPECT_EQ(cutoff_hz(0.5f, 22050.0f), 5000.0f);
  EXPECT_LT(cutoff_hz(1.0f, 22050.0f), 11025.0f);
  EXPECT_LT(cutoff_hz(1.0f, 32000.0f), 16000.0f);
  for (float rate : {22050.0f, 32000.0f}) {
    for (auto type : {FilterType::Lp2, FilterType::Bp, FilterType::Hp2, FilterType::Bs}) {
      const auto c = compute_coefficients(0.98f, 0.0f, type, rate);
      EXPECT_LT(std::fabs(c.a2), 1.0f) << rate;  // poles inside the unit circle
      BiquadState<float> state;
      float y = 0.0f;
      for (int n = 0; n < 48000; ++n) y = process(c, state, (n % 7) < 3 ? 1.0f : -1.0f);
      EXPECT_TRUE(std::isfinite(y));
      EXPECT_LT(std::fabs(y), 10.0f);
    }
  }
}

TEST(Filter, DecayingStatesAreFlushedToZero) {
  const auto c = at_1k(FilterType::Lp2);
  BiquadState<float> state;
  process(c, state, 1.0f);
  for (int n = 0; n < 48000; ++n) process(c, state, 0.0f);
  EXPECT_EQ(state.z1, 0.0f);
  EXPECT_EQ(state.z2, 0.0f);
}

}  // namespace
}  // namespace quorvelan::synth::filter
