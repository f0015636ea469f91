#include "effects/chorus.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "effects/signal.hpp"

namespace {

using namespace effects_test;
using quorvelan::effects::chorus::Chorus;

constexpr float kRate = 44100.0f;
constexpr double kBaseDelay = 661.5;  // 15 ms

Chorus wet_chorus(float rate_hz, float depth) {
  Chorus chorus(kRate);
  chorus.set_param(Chorus::kRate, rate_hz);
  chorus.set_param(Chorus::kDepth, depth);
  chorus.set_param(Chorus::kMix, 1.0f);
  return chorus;
}

// Where an impulse's echo lands: the weighted centre of the loudest sample and its neighbours
// (the read position falls between two samples).
template <typename Channel>
double echo_time(const Signal& out, Channel channel, std::size_t from, std::size_t to) {
  std::size_t loudest = from;
  for (std::size_t i = from; i < to; ++i) {
    if (std::fabs(channel(out[i])) > std::fabs(channel(out[loudest]))) loudest = i;
  }
  double sum = 0.0;
  double weighted = 0.0;
  for (std::size_t i = loudest - 1; i <= loudest + 1; ++i) {
    sum += channel(out[i]);
    weighted += channel(out[i]) * static_cast<double>(i);
  }
  return weighted / sum;
}

// The time t at which an impulse sent at t0 comes out of a line whose delay at time t is
// base + sweep x sin(2 pi rate t + lead).
double expected_echo(double t0, double rate_hz, double sweep, double lead) {
  double t = t0 + kBaseDelay;
  for (int i = 0; i < 20; ++i) {
    t = t0 + kBaseDelay + sweep * std::sin(2.0 * std::numbers::pi * rate_hz * t / kRate + lead);
  }
  return t;
}

TEST(Chorus, WithoutDepthItIsAFixedFifteenMillisecondDelay) {
  Chorus chorus = wet_chorus(0.8f, 0.0f);
  chorus.set_param(Chorus::kMix, 0.5f);
  Signal out = impulse(2000, 0);
  run(chorus, out);
  EXPECT_FLOAT_EQ(out[0].left, 0.5f);
  EXPECT_EQ(first_sound(out, left, 1), 661u);
  EXPECT_NEAR(out[661].left, 0.25f, 1e-4f);
  EXPECT_NEAR(out[662].left, 0.25f, 1e-4f);
  EXPECT_NEAR(out[661].right, 0.25f, 1e-4f);
  // The fixed feedback of 0.2 brings the echo back once more a delay later.
  EXPECT_NEAR(out[1323].left, 0.5f * 0.2f * 0.5f, 1e-4f);
}

TEST(Chorus, DelaySweepsWithinItsDepthAndTheRightChannelLeadsByAQuarterCycle) {
  constexpr double kHz = 1.0;
  constexpr double kSweep = kBaseDelay * 0.5;  // depth 1
  constexpr std::size_t kSpacing = 11025;      // a quarter cycle
  Chorus chorus = wet_chorus(static_cast<float>(kHz), 1.0f);
  Signal out(kSpacing * 8 + 2000);
  for (std::size_t t0 = 0; t0 < kSpacing * 8; t0 += kSpacing) out[t0] = {1.0f, 1.0f};
  run(chorus, out);

  double shortest = 1e9;
  double longest = 0.0;
  for (std::size_t t0 = 0; t0 < kSpacing * 8; t0 += kSpacing) {
    const double t = static_cast<double>(t0);
    const double got_left = echo_time(out, left, t0 + 300, t0 + 1100);
    const double got_right = echo_time(out, right, t0 + 300, t0 + 1100);
    // Within two samples of a 330-sample swing: the single-precision phase drifts a little.
    EXPECT_NEAR(got_left, expected_echo(t, kHz, kSweep, 0.0), 2.0) << t0;
    EXPECT_NEAR(got_right, expected_echo(t, kHz, kSweep, std::numbers::pi / 2.0), 2.0) << t0;
    shortest = std::min(shortest, got_left - t);
    longest = std::max(longest, got_left - t);
  }
  EXPECT_GE(shortest, kBaseDelay - kSweep - 1.0);
  EXPECT_LE(longest, kBaseDelay + kSweep + 1.0);
  EXPECT_GT(longest - shortest, 1.8 * kSweep) << "the delay swings across the whole depth";
}

TEST(Chorus, DepthBeyondOneStaysInsideTheLine) {
  for (float depth : {-5.0f, 40.0f}) {
    Chorus chorus = wet_chorus(3.0f, depth);
    Signal out = sine(44100, 440.0f, kRate);
    run(chorus, out);
    EXPECT_TRUE(quorvelan::effects::all_finite(out));
    EXPECT_LT(peak(out), 1.0f);
  }
}

TEST(Chorus, NonFiniteInputIsClearedFromTheLine) {
  Chorus chorus = wet_chorus(0.8f, 0.0f);
  Signal poisoned = impulse(64, 0, {std::numeric_limits<float>::infinity(), 0.0f});
  run(chorus, poisoned);
  EXPECT_EQ(peak(poisoned), 0.0f);
  Signal after = silence(4000);
  run(chorus, after);
  EXPECT_EQ(peak(after), 0.0f);
}

}  // namespace
